// The command line of quorvane-series, the contrast-variation planner.
#ifndef QUORVANE_SERIES_SERIES_OPTIONS_H_
#define QUORVANE_SERIES_SERIES_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

constexpr int AUTO_CODE = -1;  // pick the code from the file's extension and contents
constexpr int FASTA_CODE = 3;  // the one-letter code with header lines, by name only

struct ComponentSpec {
  std::string path;
  std::string label;         // the file name without directory and extension, by default
  int code = AUTO_CODE;      // THREE_LETTER_CODE, ONE_LETTER_CODE, NUMBER_CODE, FASTA_CODE
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
  std::string svg_path;  // empty: no plot
};

enum class ParseResult { kRun, kHelp, kVersion, kUsageError };

// Reads argv[1..argc-1]. Per-component options (--deuteration, --copies, --code,
// --label) apply to the next COMPONENT only. On kUsageError, `*error` is one line
// saying what is wrong.
ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 std::string* error);

// The D2O percentages of the series, from `from` to `to` (included) by `step`.
std::vector<double> d2o_percentages(const SeriesOptions& options);

extern const char SERIES_USAGE[];

#endif  // QUORVANE_SERIES_SERIES_OPTIONS_H_
