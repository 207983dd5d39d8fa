// The command line of quorvane-series, the contrast-variation planner: one table of
// options, from which both the parser and the help are made.
#ifndef QUORVANE_SERIES_SERIES_OPTIONS_H_
#define QUORVANE_SERIES_SERIES_OPTIONS_H_

#include <string>
#include <utility>
#include <vector>

#include "plan/plan_error.h"
#include "plan/plan_options.h"

enum class ParseResult { kRun, kHelp, kVersion, kUsageError };

// Reads argv[1..argc-1]. Component options apply to the next FILE or --formula only,
// and are checked against it (a formula needs one volume; --deuterate names kinds of
// its chain type); conflicting options are refused by name. On kUsageError, `*error`
// says what is wrong and which component and option it concerns. Touches no file.
ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 PlanError* error);

// A run built one setting at a time: the command line's parser feeds it its options, and
// Python and the page their keywords, so that every value is checked by the option
// table's row and refused in the same words. Settings of a component wait in `next`
// until its source (a FILE, a text or --formula) ends it.
struct RunBuilder {
  SeriesOptions* options;
  PlanError* error;
  ComponentSpec next;
  std::string pending;  // the first setting of `next`, until its source ends it
  // The values given so far, by long name: of the run, and of the component being
  // described, so that a second value cannot silently replace the first.
  std::vector<std::pair<std::string, std::string>> run_values, component_values;
};

// Applies the option `name` ("--deuteration", "-d") with `value` ("" for a flag): a
// setting of the run to the run, a component's to b->next (--exchange before the first
// component is the run's, unless `of_component`). False with b->error set when the
// option is unknown, given twice, or its value is out of range.
bool apply_setting(RunBuilder* b, const std::string& name, const std::string& value,
                   bool of_component = false);

// Ends b->next, whose source is set (path, text or formula): checks it and appends it.
bool end_component(RunBuilder* b);

// The checks that need every setting, after the last component; the computations the
// outputs need are switched on.
bool finish_run(RunBuilder* b);

// Applies the settings of an --instrument file's text (options->instrument_path), one
// "name = value" a line with the names of the beamtime options ("flux = 1e7"), '#'
// beginning a comment, to those the command line did not give. Returns false with
// `*error` naming the line of an unknown name or a value out of its range.
bool apply_instrument(const std::string& text, SeriesOptions* options, PlanError* error);

// The --help text, made from the option table and the limits it names.
std::string series_usage();

// The manual page quorvane-series(1), in roff's man macros, made from the same table.
std::string series_manual(const char* version);

#endif  // QUORVANE_SERIES_SERIES_OPTIONS_H_
