#include "series/series_command.h"

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "io/output_file.h"
#include "plan/components.h"
#include "plan/curves.h"
#include "plan/plan_series.h"
#include "plan/series_lines.h"
#include "report/curves_report.h"
#include "report/measured_report.h"
#include "report/plots.h"
#include "report/records_report.h"
#include "report/series_report.h"
#include "report/simulation_files.h"
#include "series/configurations.h"
#include "series/series_options.h"
#include "text/xml_text.h"

namespace {

// The extension of a path's last component, in lower case (".svg"), or "".
std::string lower_extension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return extension;
}

// A file the run writes, and what it holds.
struct PlannedOutput {
  const char* option;  // the option that named it
  OutputPath where;
  std::string bytes;  // a file of the --simulate folder: its contents, made beforehand
};

// The --simulate folder must exist before anything is computed.
bool simulate_folder_ready(const SeriesOptions& options, PlanError* error) {
  if (options.outputs.simulate_dir.empty()) {
    return true;
  }
  std::error_code failed;
  if (std::filesystem::is_directory(options.outputs.simulate_dir, failed)) {
    return true;
  }
  *error = plan_error(-1, "--simulate",
                      "--simulate " + options.outputs.simulate_dir +
                          ": is no folder; create it, or name an existing folder");
  return false;
}

// One output, checked: it may not be a directory, name an input, or name the same file
// as an earlier output, and its folder must take a new file.
bool check_output(const char* option, const std::string& path, const SeriesOptions& options,
                  const std::vector<PlannedOutput>& earlier, PlannedOutput* output,
                  PlanError* error) {
  const auto refuse = [&](const std::string& message, int input = -1) {
    *error = plan_error(input, option, std::string(option) + " " + path + message);
    error->usage = true;
    return false;
  };
  const OutputCheck check = resolve_output(path, &output->where);
  if (check != OutputCheck::kOk) {
    return refuse(check == OutputCheck::kDirectory
                      ? ": is a directory; name a file in it"
                      : ": is a loop of symbolic links; name another file");
  }
  for (size_t i = 0; i <= options.components.size(); ++i) {
    const bool instrument = i == options.components.size();
    const std::string& input = instrument ? options.instrument_path : options.components[i].path;
    if (!input.empty() && input != "-" && same_file(path, input)) {
      return refuse(" names the input file " + input +
                        ", which it would overwrite; choose "
                        "another name",
                    instrument ? -1 : static_cast<int>(i));
    }
  }
  for (const PlannedOutput& other : earlier) {
    if (same_file(path, other.where.path)) {
      return refuse(
          " and " + std::string(other.option) + " " + other.where.path +
          " name the same file; give each output its own" +
          (path == "-" ? " (the report goes to standard output unless -o names a file)" : ""));
    }
  }
  if (std::string(option) == "--svg" && output->where.kind == OutputKind::kReplace &&
      lower_extension(path) != ".svg") {
    return refuse(
        ": a plot is an SVG file; name it with .svg, so that what opens it knows "
        "what it holds");
  }
  const std::string folder = output_folder_problem(output->where);
  if (!folder.empty()) {
    *error = plan_error(-1, option, std::string(option) + " " + path + ": " + folder);
    return false;
  }
  return true;
}

// Every output of the run, checked before anything is read or written.
bool plan_outputs(const SeriesOptions& options, std::vector<PlannedOutput>* outputs,
                  PlanError* error) {
  const std::pair<const char*, const std::string*> named[] = {
      {"--output", &options.outputs.output_path}, {"--csv-file", &options.outputs.csv_path},
      {"--svg", &options.outputs.svg_path},       {"--stuhrmann", &options.outputs.stuhrmann_path},
      {"--curves", &options.outputs.curves_path}, {"--pr", &options.outputs.pr_path},
      {"--basis", &options.outputs.basis_path},
  };
  for (const auto& [option, path] : named) {
    PlannedOutput output{option, {}, {}};
    if (!path->empty()) {
      if (!check_output(option, *path, options, *outputs, &output, error)) {
        return false;
      }
      outputs->push_back(output);
    }
  }
  return true;
}

// The files of the --simulate folder, each an output of its own, checked as every other
// output is: none may replace an input or another output.
bool plan_simulation_outputs(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                             std::vector<PlannedOutput>* outputs, PlanError* error) {
  if (options.outputs.simulate_dir.empty()) {
    return true;
  }
  for (auto& [name, bytes] : simulation_files(lines, options)) {
    PlannedOutput output{"--simulate", {}, std::move(bytes)};
    const std::string path = (std::filesystem::path(options.outputs.simulate_dir) / name).string();
    if (!check_output("--simulate", path, options, *outputs, &output, error)) {
      return false;
    }
    outputs->push_back(std::move(output));
  }
  return true;
}

// Writes one output's contents into its open file; false when a write failed.
bool emit(const PlannedOutput& output, const PlanResult& planned, const SeriesOptions& options,
          std::FILE* file) {
  const std::vector<Component>& components = planned.components;
  const std::vector<SeriesLine>& lines = planned.lines;
  const std::string option = output.option;
  std::string bytes;
  if (option == "--simulate") {
    bytes = output.bytes;
  } else if (option == "--svg") {
    bytes = result_plot(planned, options);
  } else if (option == "--stuhrmann") {
    bytes = stuhrmann_csv(lines);
  } else if (option == "--curves") {
    bytes = curves_csv(lines, q_grid(options));
  } else if (option == "--pr") {
    bytes = pr_csv(lines);
  } else if (option == "--basis") {
    bytes = basis_csv(planned.basis);
  } else if (option == "--csv-file" ||
             (!options.records && options.outputs.format == OutputFormat::kCsv)) {
    bytes = csv_report(components, lines, options);
  } else {
    write_report(planned, options, file);
  }
  return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

// What a failed output says: where it went, and that nothing earlier was lost.
std::string output_failure(const OutputPath& where, bool opened) {
  if (!opened) {
    return where.path +
           ": cannot be written; check that its folder exists and is writable; "
           "no file was changed";
  }
  switch (where.kind) {
    case OutputKind::kStandardOutput:
      return "writing to standard output failed (disk full or pipe closed?); no file was "
             "changed";
    case OutputKind::kWriteThrough:
      return where.path + ": writing failed (disk full or pipe closed?); no file was changed";
    case OutputKind::kReplace:
      break;
  }
  return where.path + ": writing failed (disk full?); no file was changed";
}

// Computes the series and writes every output: first each replaced file into its
// temporary, then what is written through (devices, pipes, standard output), and only
// when all of them are complete are the temporaries renamed over their targets. A
// failure anywhere removes every temporary, so a failed run leaves each file as it was.
bool write_series(const PlanResult& planned, const SeriesOptions& options,
                  const std::vector<PlannedOutput>& outputs, std::FILE* out, std::string* error) {
  std::vector<Output> written(outputs.size(), Output{nullptr, {}, {}});
  const auto give_up = [&](const OutputPath& where, bool opened) {
    for (Output& o : written) {
      discard_output(&o);
    }
    *error = output_failure(where, opened);
    return false;
  };
  for (const bool replaced : {true, false}) {
    for (size_t i = 0; i < outputs.size(); ++i) {
      const OutputPath& where = outputs[i].where;
      if ((where.kind == OutputKind::kReplace) != replaced) {
        continue;
      }
      // Plots are bytes as they are; tables and reports text, with the system's line ends.
      const std::string option = outputs[i].option;
      const char* mode = option == "--svg" ? "wb" : "w";
      if (!open_output(where, mode, out, &written[i])) {
        return give_up(where, false);
      }
      const bool complete = emit(outputs[i], planned, options, written[i].file);
      if (!finish_output(&written[i], complete)) {
        return give_up(where, true);
      }
    }
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    if (!commit_output(&written[i])) {
      for (Output& o : written) {
        discard_output(&o);
      }
      *error = outputs[i].where.path +
               ": could not be renamed into place; the files before it "
               "in the command line were written";
      return false;
    }
  }
  return true;
}

int failed(const Streams& streams, const PlanError& error, PlanError* out) {
  std::fprintf(streams.err, "quorvane-series: %s\n", printable_text(error.message).c_str());
  if (out != nullptr) {
    *out = error;
  }
  return error.usage ? 2 : 1;
}

int finished(std::FILE* out, std::FILE* err, const std::string& text) {
  std::fputs(text.c_str(), out);
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fputs("quorvane-series: writing to standard output failed (disk full or pipe closed?)\n",
               err);
    return 1;
  }
  return 0;
}

}  // namespace

int run_series(int argc, const char* const* argv, const Streams& streams, PlanError* error_out) {
  SeriesOptions options;
  PlanError error;
  switch (parse_series_options(argc, argv, &options, &error)) {
    case ParseResult::kHelp:
      return finished(streams.out, streams.err, series_usage());
    case ParseResult::kVersion:
      return finished(streams.out, streams.err,
                      std::string("quorvane-series ") + QUORVANE_VERSION + "\n");
    case ParseResult::kUsageError:
      error.usage = true;
      return failed(streams, error, error_out);
    case ParseResult::kRun:
      break;
  }
  std::vector<PlannedOutput> outputs;
  if (!plan_outputs(options, &outputs, &error)) {
    return failed(streams, error, error_out);
  }
  const bool shows_progress =
      !options.outputs.quiet && (options.outputs.progress_lines || streams.err_is_terminal);
  options.progress = shows_progress ? streams.progress : nullptr;
  if (!read_configurations(&options, &error) || !simulate_folder_ready(options, &error)) {
    return failed(streams, error, error_out);
  }
  PlanResult planned;
  const bool done = plan_series(options, streams.in, &planned, &error);
  for (const std::string& warning : planned.warnings) {
    std::fprintf(streams.err, "quorvane-series: warning: %s\n", printable_text(warning).c_str());
  }
  if (!done || !shown_line_exists(planned.lines, options, &error) ||
      !plan_simulation_outputs(planned.lines, options, &outputs, &error)) {
    return failed(streams, error, error_out);
  }
  std::string message;
  if (!write_series(planned, options, outputs, streams.out, &message)) {
    return failed(streams, plan_error(-1, "file", message), error_out);
  }
  int not_planned = 0;
  for (const Component& c : planned.components) {
    not_planned += c.error.empty() ? 0 : 1;
  }
  if (not_planned > 0) {
    std::fprintf(streams.err,
                 "quorvane-series: %d of %zu records could not be planned (see their "
                 "lines)\n",
                 not_planned, planned.components.size());
    return 1;
  }
  return 0;
}
