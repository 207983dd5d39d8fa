// The command line of quorvane-series, the contrast-variation planner.
#ifndef QUORVANE_SERIES_SERIES_OPTIONS_H_
#define QUORVANE_SERIES_SERIES_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "residues/sequence_reader.h"

struct ComponentSpec {
  std::string path;
  std::string label;        // empty: from the file name or its FASTA records
  bool code_given = false;  // otherwise the code is guessed from the file
  DataCode code = DataCode::kOneLetter;
  double deuteration = 0.0;  // % of the non-exchangeable hydrogens that are deuterium
  int64_t copies = 1;
};

enum class OutputFormat { kText, kCsv };

struct SeriesOptions {
  std::vector<ComponentSpec> components;
  double exchange = 100.0;  // % of the labile hydrogens that exchange with the solvent
  double from = 0.0;        // % D2O
  double to = 100.0;
  double step = 10.0;
  OutputFormat format = OutputFormat::kText;
  std::string svg_path;        // empty: no plot
  bool records = false;        // one line per sequence record instead of a series
  bool allow_unknown = false;  // leave unknown entries out instead of stopping
};

constexpr int MAX_POINTS = 10001;

enum class ParseResult { kRun, kHelp, kVersion, kUsageError };

// Reads argv[1..argc-1]. Per-component options (--deuteration, --copies, --code,
// --label) apply to the next FILE only. On kUsageError, `*error` is one line saying
// what is wrong.
ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 std::string* error);

// The D2O percentages of the series, from `from` to `to` by `step`; the last one is
// `to` itself whenever the steps reach it within rounding.
std::vector<double> d2o_percentages(const SeriesOptions& options);

extern const char SERIES_USAGE[];

#endif  // QUORVANE_SERIES_SERIES_OPTIONS_H_
