// The command line of quorvane-series, the contrast-variation planner: one table of
// options, from which both the parser and the help are made.
#ifndef QUORVANE_SERIES_SERIES_OPTIONS_H_
#define QUORVANE_SERIES_SERIES_OPTIONS_H_

#include <string>

#include "plan/plan_error.h"
#include "plan/plan_options.h"

enum class ParseResult { kRun, kHelp, kVersion, kUsageError };

// Reads argv[1..argc-1]. Component options apply to the next FILE or --formula only,
// and are checked against it (a formula needs one volume; --deuterate names kinds of
// its chain type); conflicting options are refused by name. On kUsageError, `*error`
// says what is wrong and which component and option it concerns. Touches no file.
ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 PlanError* error);

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
