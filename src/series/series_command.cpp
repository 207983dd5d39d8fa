#include "series/series_command.h"

#include <map>
#include <string>
#include <vector>

#include "io/output_file.h"
#include "plan/beamtime.h"
#include "plan/components.h"
#include "plan/curves.h"
#include "plan/series_lines.h"
#include "report/curves_report.h"
#include "report/plots.h"
#include "report/records_report.h"
#include "report/series_report.h"
#include "series/series_options.h"

namespace {

constexpr size_t MAX_INSTRUMENT_BYTES = 1 << 16;

// A file the run writes, and what it holds.
struct PlannedOutput {
  const char* option;  // the option that named it
  OutputPath where;
};

// Every output of the run, checked before anything is read or written: none may be a
// directory, name an input, or name the same file as another output.
bool plan_outputs(const SeriesOptions& options, std::vector<PlannedOutput>* outputs,
                  PlanError* error) {
  const std::pair<const char*, const std::string*> named[] = {
      {"--output", &options.output_path}, {"--csv-file", &options.csv_path},
      {"--svg", &options.svg_path},       {"--stuhrmann", &options.stuhrmann_path},
      {"--curves", &options.curves_path}, {"--pr", &options.pr_path},
  };
  for (const auto& [option, path] : named) {
    if (path->empty()) {
      continue;
    }
    PlannedOutput output{option, {}};
    const OutputCheck check = resolve_output(*path, &output.where);
    if (check != OutputCheck::kOk) {
      *error = plan_error(-1, option,
                          std::string(option) + " " + *path +
                              (check == OutputCheck::kDirectory
                                   ? ": is a directory; name a file in it"
                                   : ": is a loop of symbolic links; name another file"));
      return false;
    }
    for (size_t i = 0; i <= options.components.size(); ++i) {
      const bool instrument = i == options.components.size();
      const std::string& input = instrument ? options.instrument_path : options.components[i].path;
      if (!input.empty() && input != "-" && same_file(*path, input)) {
        *error = plan_error(instrument ? -1 : static_cast<int>(i), option,
                            std::string(option) + " " + *path + " names the input file " + input +
                                ", which it would overwrite; choose another name");
        return false;
      }
    }
    for (const PlannedOutput& earlier : *outputs) {
      if (same_file(*path, earlier.where.path)) {
        *error =
            plan_error(-1, option,
                       std::string(option) + " " + *path + " and " + earlier.option + " " +
                           earlier.where.path + " name the same file; give each output its own" +
                           (*path == "-" ? " (the report goes to standard output unless -o "
                                           "names a file)"
                                         : ""));
        return false;
      }
    }
    outputs->push_back(output);
  }
  return true;
}

// Writes `bytes` to one of the run's outputs ("wb": as they are; "w": text mode).
bool write_output(const OutputPath& where, const std::string& bytes, const char* mode,
                  std::FILE* standard_output, std::string* error) {
  Output out;
  if (!open_output(where, mode, standard_output, &out)) {
    *error = where.path + ": cannot be written; check that its directory exists and is writable";
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out.file) == bytes.size();
  if (!close_output(&out, written)) {
    *error = where.path + (where.kind == OutputKind::kReplace
                               ? ": writing failed (disk full?); any earlier file of that name "
                                 "is unchanged"
                               : ": writing failed (disk full or pipe closed?)");
    return false;
  }
  return true;
}

// Reads the --instrument file and applies its settings; false with `*error` when it
// cannot be read or holds what is no setting.
bool read_instrument(SeriesOptions* options, PlanError* error) {
  const std::string& path = options->instrument_path;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::string text;
  char buffer[4096];
  size_t got = 0;
  while (file != nullptr && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0 &&
         text.size() < MAX_INSTRUMENT_BYTES) {
    text.append(buffer, got);
  }
  const bool read = file != nullptr && !std::ferror(file) && text.size() < MAX_INSTRUMENT_BYTES;
  if (file != nullptr) {
    std::fclose(file);
  }
  if (!read) {
    *error = plan_error(-1, "--instrument",
                        "--instrument " + path +
                            (file == nullptr ? ": cannot be opened; check the name"
                                             : ": cannot be read, or is larger than 64 KiB; "
                                               "name a file of settings"));
    return false;
  }
  if (!apply_instrument(text, options, error)) {
    error->usage = true;
    return false;
  }
  return true;
}

// A rewindable copy of standard input, for a FILE of "-": the code is guessed from the
// first entry and the file read again.
std::FILE* copy_of_input(std::FILE* in) {
  std::FILE* copy = std::tmpfile();
  if (copy == nullptr) {
    return nullptr;
  }
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    std::fwrite(buffer, 1, got, copy);
  }
  if (std::ferror(in) || std::fflush(copy) != 0) {
    std::fclose(copy);
    return nullptr;
  }
  std::rewind(copy);
  return copy;
}

// Two components shown under one label could not be told apart in any table or plot.
bool labels_unique(const std::vector<Component>& components, PlanError* error) {
  std::map<std::string, const Component*> seen;
  const bool complex =
      components.size() > 1 || (components.size() == 1 && components.front().spec.copies > 1);
  for (const Component& c : components) {
    const std::string& label = c.spec.label;
    const auto [it, fresh] = seen.emplace(label, &c);
    const bool reserved = complex && label == "complex";
    if (!fresh || reserved) {
      const std::string where = c.spec.path.empty() ? "--formula " + c.spec.formula : c.spec.path;
      const std::string other =
          reserved ? "the complex of all components"
                   : (it->second->spec.path.empty() ? "--formula " + it->second->spec.formula
                                                    : it->second->spec.path);
      *error =
          plan_error(c.input, "--label",
                     "two components are labelled \"" + label + "\" (" + other + " and " + where +
                         "); give each its own with -l NAME before its file, or make the "
                         "FASTA IDs differ");
      error->usage = true;
      return false;
    }
  }
  return true;
}

// Loads every component; false with `*error` when one cannot be.
bool load_all(const SeriesOptions& options, const Solvent& solvent, std::FILE* in,
              std::vector<Component>* components, std::vector<std::string>* warnings,
              PlanError* error) {
  std::FILE* input_copy = nullptr;
  for (const ComponentSpec& spec : options.components) {
    if (spec.path == "-" && (input_copy = copy_of_input(in)) == nullptr) {
      *error = plan_error(-1, "file", "standard input cannot be read");
      return false;
    }
  }
  const LoadContext context{&options, &solvent, input_copy};
  bool loaded = true;
  for (size_t i = 0; loaded && i < options.components.size(); ++i) {
    loaded = load_components(context, static_cast<int>(i), components, warnings, error);
  }
  if (input_copy != nullptr) {
    std::fclose(input_copy);
  }
  return loaded;
}

// Writes the plot and the Stuhrmann fits into their files, then the report.
bool write_series(const std::vector<Component>& components, const SeriesOptions& options,
                  const Solvent& solvent, const std::vector<PlannedOutput>& outputs, std::FILE* out,
                  std::string* error) {
  std::vector<SeriesLine> lines =
      options.records ? std::vector<SeriesLine>() : compute_series(components, options, solvent);
  if (wants_curves(options) || options.beamtime) {
    add_curves(components, options, solvent, &lines);
  }
  if (options.beamtime) {
    add_beamtime(components, options, solvent, &lines);
  }
  for (const PlannedOutput& output : outputs) {
    const std::string option = output.option;
    if (option == "--svg" &&
        !write_output(output.where, plot_svg(lines, options), "wb", out, error)) {
      return false;
    }
    if (option == "--stuhrmann" &&
        !write_output(output.where, stuhrmann_csv(lines), "w", out, error)) {
      return false;
    }
    if (option == "--curves" &&
        !write_output(output.where, curves_csv(lines, q_grid(options)), "w", out, error)) {
      return false;
    }
    if (option == "--pr" && !write_output(output.where, pr_csv(lines), "w", out, error)) {
      return false;
    }
    if (option == "--csv-file" &&
        !write_output(output.where, csv_report(components, lines, options), "w", out, error)) {
      return false;
    }
  }
  for (const PlannedOutput& output : outputs) {
    if (std::string(output.option) != "--output") {
      continue;
    }
    Output report;
    if (!open_output(output.where, "w", out, &report)) {
      *error = output.where.path +
               ": cannot be written; check that its directory exists and is writable";
      return false;
    }
    if (options.records) {
      write_records_report(components, options, solvent, report.file);
    } else if (options.format == OutputFormat::kCsv) {
      std::fputs(csv_report(components, lines, options).c_str(), report.file);
    } else {
      write_text_report(components, lines, options, solvent, report.file);
    }
    if (!close_output(&report, true)) {
      *error = output.where.kind == OutputKind::kStandardOutput
                   ? "writing the report to standard output failed (disk full or pipe closed?)"
                   : output.where.path +
                         ": writing failed (disk full?); any earlier file of "
                         "that name is unchanged";
      return false;
    }
  }
  return true;
}

int failed(const Streams& streams, const PlanError& error, PlanError* out) {
  std::fprintf(streams.err, "quorvane-series: %s\n", error.message.c_str());
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
    error.usage = true;
    return failed(streams, error, error_out);
  }
  options.progress = streams.progress;
  if (!options.instrument_path.empty() && !read_instrument(&options, &error)) {
    return failed(streams, error, error_out);
  }
  const Solvent solvent = solvent_of(options);
  std::vector<Component> components;
  std::vector<std::string> warnings;
  const bool loaded = load_all(options, solvent, streams.in, &components, &warnings, &error);
  for (const std::string& warning : warnings) {
    std::fprintf(streams.err, "quorvane-series: warning: %s\n", warning.c_str());
  }
  if (!loaded || (!options.records && !labels_unique(components, &error))) {
    return failed(streams, error, error_out);
  }
  std::string message;
  if (!write_series(components, options, solvent, outputs, streams.out, &message)) {
    return failed(streams, plan_error(-1, "file", message), error_out);
  }
  int not_planned = 0;
  for (const Component& c : components) {
    not_planned += c.error.empty() ? 0 : 1;
  }
  if (not_planned > 0) {
    std::fprintf(streams.err,
                 "quorvane-series: %d of %zu records could not be planned (see their "
                 "lines)\n",
                 not_planned, components.size());
    return 1;
  }
  return 0;
}
