#include "series/series_command.h"

#include <string>
#include <vector>

#include "io/replacement_file.h"
#include "series/components.h"
#include "series/reports.h"
#include "series/series_lines.h"
#include "series/svg_plot.h"

namespace {

bool write_stuhrmann(const std::string& path, const std::vector<SeriesLine>& lines,
                     std::string* error) {
  std::FILE* file = open_replacement(path, "w");
  if (file == nullptr) {
    *error = path + ": cannot be written; check that its directory exists and is writable";
    return false;
  }
  if (!finish_replacement(file, write_stuhrmann_csv(lines, file), path)) {
    *error = path + ": writing failed (disk full?); nothing was left there";
    return false;
  }
  return true;
}

int fail(std::FILE* err, const std::string& error) {
  std::fprintf(err, "quorvane-series: %s\n", error.c_str());
  return 1;
}

}  // namespace

namespace {

// Writes the series: the plot and the Stuhrmann fits into their files, the report to
// `out`. Returns false with `*error` when a file could not be written.
bool write_series(const std::vector<Component>& components, const SeriesOptions& options,
                  std::FILE* out, std::string* error) {
  const std::vector<SeriesLine> lines = compute_series(components, options);
  if (!options.svg_path.empty() && !write_svg(options.svg_path, svg_plot(lines, options), error)) {
    return false;
  }
  if (!options.stuhrmann_path.empty() && !write_stuhrmann(options.stuhrmann_path, lines, error)) {
    return false;
  }
  if (options.format == OutputFormat::kCsv) {
    write_csv_report(components, lines, options, out);
  } else {
    write_text_report(components, lines, options, out);
  }
  return true;
}

bool any_placed(const std::vector<Component>& components) {
  for (const Component& c : components) {
    if (!c.placed.empty()) {
      return true;
    }
  }
  return false;
}

}  // namespace

int run_series(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  SeriesOptions options;
  std::string error;
  switch (parse_series_options(argc, argv, &options, &error)) {
    case ParseResult::kHelp:
      std::fputs(SERIES_USAGE, out);
      return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
    case ParseResult::kVersion:
      std::fprintf(out, "quorvane-series %s\n", QUORVANE_VERSION);
      return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
    case ParseResult::kUsageError:
      std::fprintf(err, "quorvane-series: %s\n", error.c_str());
      return 2;
    case ParseResult::kRun:
      break;
  }
  std::vector<Component> components;
  std::vector<std::string> warnings;
  for (const ComponentSpec& spec : options.components) {
    if (!load_components(spec, options, &components, &warnings, &error)) {
      return fail(err, error);
    }
  }
  for (const std::string& warning : warnings) {
    std::fprintf(err, "quorvane-series: warning: %s\n", warning.c_str());
  }
  if ((options.plot == PlotKind::kStuhrmann || !options.stuhrmann_path.empty()) &&
      !any_placed(components)) {
    std::fprintf(err,
                 "quorvane-series: a Stuhrmann fit needs a component read from a structure "
                 "(.pdb, .cif...)\n");
    return 2;
  }
  if (options.records) {
    write_records_report(components, options, out);
  } else if (!write_series(components, options, out, &error)) {
    return fail(err, error);
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    return fail(err, "writing the report to standard output failed (disk full or pipe closed?)");
  }
  return 0;
}
