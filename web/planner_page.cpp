// The planner behind the web page, on the library's typed entry. The worker sends a
// request as JSON: the run's settings and each component's by the command's option
// names and the values the form holds, the sequences as text, the models as files of
// the module's memory file system, the plot asked for, and the page's names of its
// fields. It gets JSON back: the series' columns with their headings, units and cells
// as the report words them (the library's column table), the plot, the files to
// download, notes and warnings; or the error, placed by component and setting, in the
// page's words.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "measured/measured_guess.h"
#include "measured/measured_reader.h"
#include "plan/component_figures.h"
#include "plan/curves.h"
#include "plan/plan_series.h"
#include "report/curves_report.h"
#include "report/measured_report.h"
#include "report/plots.h"
#include "report/report_columns.h"
#include "report/series_report.h"
#include "series/configurations.h"
#include "series/option_table.h"
#include "series/series_options.h"
#include "text/json_reader.h"
#include "text/text_format.h"

namespace {

std::string answer;

// Tells the page how far the curves have come, from the worker the module runs in.
// (Its body is JavaScript, which clang-format would break apart.)
// clang-format off
EM_JS(void, post_progress, (const char* stage, double fraction), {
  if (typeof WorkerGlobalScope !== "undefined" && self instanceof WorkerGlobalScope) {
    postMessage({progress: fraction, stage: UTF8ToString(stage)});
  }
});
// clang-format on

void report_progress(const char* stage, double fraction) {
  post_progress(stage, fraction);
}

const std::string& text_of(const JsonValue* value) {
  static const std::string none;
  return value != nullptr && value->kind == JsonValue::Kind::kString ? value->text : none;
}

std::string list(const std::vector<std::string>& items) {
  std::string json = "[";
  for (size_t k = 0; k < items.size(); ++k) {
    json += (k == 0 ? "" : ",") + json_quoted(items[k]);
  }
  return json + "]";
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// The page's name for each option it has a field for, quoted as its label reads.
struct PageWords {
  const JsonValue* names;
  std::string operator()(const std::string& message) const {
    const JsonValue* table = names;
    return in_words(message,
                    {[table](const OptionRow& row) {
                       const std::string& label =
                           text_of(table != nullptr ? json_member(*table, row.long_name) : nullptr);
                       return label.empty() ? std::string("this setting")
                                            : "\xE2\x80\x9C" + label + "\xE2\x80\x9D";
                     },
                     false, ""});
  }
};

// Applies [option, value] pairs; false with the builder's error.
bool apply_pairs(RunBuilder* b, const JsonValue* pairs, bool of_component) {
  for (size_t k = 0; pairs != nullptr && k < pairs->items.size(); ++k) {
    const std::vector<JsonValue>& pair = pairs->items[k].items;
    if (pair.size() != 2) {
      *b->error = plan_error(-1, "", "the page's request holds a setting without its value");
      return false;
    }
    if (!apply_setting(b, pair[0].text, pair[1].text, of_component)) {
      return false;
    }
  }
  return true;
}

bool build(const JsonValue& request, SeriesOptions* options, PlanError* error) {
  RunBuilder b{options, error, ComponentSpec(), "", {}, {}};
  if (!apply_pairs(&b, json_member(request, "run"), false)) {
    return false;
  }
  const JsonValue* components = json_member(request, "components");
  for (size_t i = 0; components != nullptr && i < components->items.size(); ++i) {
    const JsonValue& c = components->items[i];
    if (!apply_pairs(&b, json_member(c, "settings"), true)) {
      return false;
    }
    const std::string& source = text_of(json_member(c, "source"));
    if (source == "formula") {
      if (!apply_setting(&b, "--formula", text_of(json_member(c, "text")), true)) {
        return false;
      }
      continue;
    }
    b.next.path = text_of(json_member(c, "name"));
    if (source == "text") {
      b.next.from_text = true;
      b.next.text = text_of(json_member(c, "text"));
    }
    if (!end_component(&b)) {
      return false;
    }
  }
  // The plot: drawn into the answer, never a file.
  const JsonValue* plot = json_member(request, "plot");
  if (plot != nullptr) {
    const std::string& kind = text_of(json_member(*plot, "kind"));
    const JsonValue* narrow = json_member(*plot, "narrow");
    const std::string& component = text_of(json_member(*plot, "component"));
    std::string points;
    if (const JsonValue* d2o = json_member(*plot, "d2o")) {
      for (const JsonValue& p : d2o->items) {
        points += (points.empty() ? "" : ",") + p.text;
      }
    }
    const bool chooses = kind == "curves" || kind == "pr" || kind == "simulated";
    if (!apply_setting(&b, "--svg", "plot.svg") ||
        (!kind.empty() && !apply_setting(&b, "--plot", kind)) ||
        (narrow != nullptr && narrow->boolean && !apply_setting(&b, "--plot-layout", "narrow")) ||
        (chooses && !points.empty() && !apply_setting(&b, "--show-d2o", points)) ||
        (chooses && !component.empty() && !apply_setting(&b, "--show-component", component))) {
      return false;
    }
  }
  const JsonValue* curves = json_member(request, "curves");
  options->compute_curves = options->compute_pr = curves != nullptr && curves->boolean;
  options->progress = report_progress;
  return finish_run(&b) && read_configurations(options, error);
}

// The series' columns as the report shows them.
std::string columns_json(const PlanResult& p, const SeriesOptions& options) {
  const ReportScope scope = report_scope(p.lines, options);
  std::string json = "[";
  bool first = true;
  for (const ShownColumn& shown : report_columns(scope)) {
    std::vector<std::string> cells, csv, reasons;
    for (const SeriesLine& line : p.lines) {
      const Component* component =
          line.is_complex ? nullptr : &p.components[static_cast<size_t>(line.component)];
      for (size_t i = 0; i < line.points.size(); ++i) {
        const ReportRow row{&line, component, i, 0};
        cells.push_back(trimmed(column_cell(shown, row, scope, false)));
        csv.push_back(column_cell(shown, row, scope, true));
        std::string reason;
        column_value(shown, row, scope, &reason);
        reasons.push_back(column_is_text(shown) ? "" : reason);
      }
    }
    const std::string name = column_name(shown, scope);
    const char* header = shown.column->header;
    std::string heading = header != nullptr ? header : name;
    if (header == nullptr) {
      for (const char* suffix : {"_percent", "_A3", "_per_cm", "_1e-6_per_A2", "_fm_per_A3"}) {
        const std::string end = suffix;
        if (heading.size() > end.size() &&
            heading.compare(heading.size() - end.size(), end.size(), end) == 0) {
          heading.erase(heading.size() - end.size());
        }
      }
      for (char& c : heading) {
        c = c == '_' ? ' ' : c;
      }
    }
    json += std::string(first ? "" : ",") + "{\"name\":" + json_quoted(name) +
            ",\"heading\":" + json_quoted(heading) +
            ",\"unit\":" + json_quoted(column_unit(shown, scope)) + ",\"cells\":" + list(cells) +
            ",\"csv\":" + list(csv) + ",\"reasons\":" + list(reasons) + "}";
    first = false;
  }
  return json + "]";
}

// Each line's match point as the page's table shows it.
std::string match_points_json(const PlanResult& p) {
  std::string json = "[";
  for (size_t k = 0; k < p.lines.size(); ++k) {
    const SeriesLine& line = p.lines[k];
    std::string text = "none";
    if (line.has_match) {
      text =
          fixed(line.match_percent, 1) + " %" +
          (line.has_range
               ? " (" + fixed(line.match_low, 1) + "\xE2\x80\x93" + fixed(line.match_high, 1) + ")"
               : "") +
          (line.match_percent < 0.0 || line.match_percent > 100.0 ? ", no solvent matches it" : "");
    }
    json += std::string(k == 0 ? "" : ",") + "{\"label\":" + json_quoted(line.label) +
            ",\"copies\":" + json_quoted(std::to_string(line.copies)) +
            ",\"residues\":" + json_quoted(std::to_string(line.residues)) +
            ",\"text\":" + json_quoted(text) + "}";
  }
  return json + "]";
}

// The Stuhrmann fits as the page's table shows them.
std::string stuhrmann_json(const PlanResult& p) {
  std::string json = "[";
  bool first = true;
  for (const SeriesLine& line : p.lines) {
    if (line.gyration.empty()) {
      continue;
    }
    const StuhrmannFit& f = line.stuhrmann;
    const NumberFormat g4{NumberFormat::kGeneral, 4};
    const std::vector<std::string> row = {
        line.label,
        f.fitted ? fixed(std::copysign(std::sqrt(std::fabs(f.rm2)), f.rm2), 2) : "",
        f.fitted ? format_number(f.alpha, g4) : "",
        f.fitted ? format_number(f.beta, g4) : "",
        f.fitted ? fixed(f.residual, 3) : "",
        std::to_string(f.points),
        std::to_string(line.points.size())};
    json += std::string(first ? "" : ",") + list(row);
    first = false;
  }
  return json + "]";
}

// The measured curves' table as the report words it.
std::string measured_json(const PlanResult& p) {
  std::string json = "[";
  bool first = true;
  for (const MeasuredRow& row : measured_rows(p)) {
    json += std::string(first ? "" : ",") + "{\"d2o\":" + json_quoted(row.d2o) +
            ",\"file\":" + json_quoted(row.file) +
            ",\"fitted\":" + (row.fitted ? "true" : "false") + ",\"why\":" + json_quoted(row.why) +
            ",\"points\":" + json_quoted(row.points) + ",\"q_range\":" + json_quoted(row.q_range) +
            ",\"rg\":" + json_quoted(row.rg) + ",\"i0\":" + json_quoted(row.i0) +
            ",\"i0_per_conc\":" + json_quoted(row.i0_per_conc) + "}";
    first = false;
  }
  return json + "]";
}

std::string error_json(const PlanError& error, const PageWords& words,
                       const std::vector<std::string>& warnings) {
  std::vector<std::string> worded;
  for (const std::string& w : warnings) {
    worded.push_back(words(w));
  }
  return "{\"status\":" + std::string(error.usage ? "2" : "1") + ",\"warnings\":" + list(worded) +
         ",\"error\":{\"input\":" + std::to_string(error.input) +
         ",\"setting\":" + json_quoted(error.setting) + ",\"value\":" + json_quoted(error.value) +
         ",\"expected\":" + json_quoted(words(error.expected)) +
         ",\"message\":" + json_quoted(words(error.message)) + "}}";
}

}  // namespace

extern "C" {

// A measured file of the module's file system as the page's row shows it before any
// calculation: what the reader makes of it (or its refusal), and the D2O point and
// concentration its name or title suggest, to be confirmed.
EMSCRIPTEN_KEEPALIVE const char* measured_page(const char* path, const char* shown_name) {
  std::vector<MeasuredCurve> curves;
  std::string problem;
  if (!read_measured_file(path, &curves, &problem)) {
    // The reader names the file by its path in the module; the user knows it by its own.
    const std::string own = path;
    for (size_t at = problem.find(own); at != std::string::npos; at = problem.find(own, at)) {
      problem.replace(at, own.size(), shown_name);
      at += std::string(shown_name).size();
    }
    answer = "{\"status\":1,\"message\":" + json_quoted(problem) + "}";
    return answer.c_str();
  }
  const MeasuredCurve& c = curves.front();
  const MeasuredGuess g = guess_measured(shown_name, c.title);
  answer = "{\"status\":0,\"title\":" + json_quoted(c.title) +
           ",\"format\":" + json_quoted(c.format) + ",\"unit\":" + json_quoted(c.intensity_unit) +
           ",\"curves\":" + std::to_string(curves.size()) +
           ",\"points\":" + std::to_string(c.q.size()) +
           ",\"q_min\":" + json_quoted(format_number(c.q.front(), {NumberFormat::kGeneral, 4})) +
           ",\"q_max\":" + json_quoted(format_number(c.q.back(), {NumberFormat::kGeneral, 4})) +
           ",\"d2o\":" +
           json_quoted(g.has_d2o ? format_number(g.d2o, {NumberFormat::kGeneral, 6}) : "") +
           ",\"d2o_from\":" + json_quoted(g.d2o_from) + ",\"conc\":" +
           json_quoted(g.has_conc ? format_number(g.conc, {NumberFormat::kGeneral, 6}) : "") +
           ",\"conc_from\":" + json_quoted(g.conc_from) + "}";
  return answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* plan_page(const char* request_text) {
  JsonValue request;
  std::string problem;
  PlanError error;
  const bool read = read_json(request_text, &request, &problem);
  const PageWords words{read ? json_member(request, "words") : nullptr};
  if (!read) {
    error = plan_error(-1, "", "the page's request could not be read (" + problem + ")");
    answer = error_json(error, words, {});
    return answer.c_str();
  }
  SeriesOptions options;
  PlanResult planned;
  if (!build(request, &options, &error) || !plan_series(options, nullptr, &planned, &error) ||
      !shown_line_exists(planned.lines, options, &error)) {
    answer = error_json(error, words, planned.warnings);
    return answer.c_str();
  }
  std::vector<std::string> warnings, notes = {"The model: " + words(model_text(options))};
  for (const std::string& w : planned.warnings) {
    warnings.push_back(words(w));
  }
  for (const Component& c : planned.components) {
    for (const std::string& note : component_notes(c)) {
      notes.push_back(c.spec.label + ": " + words(note));
    }
    if (c.spec.match_at_given) {
      notes.push_back(match_at_text(c, options, planned.solvent));
    }
  }
  std::vector<std::string> curve_lines, points;
  for (const SeriesLine& line : planned.lines) {
    if (!line.curves.intensity.empty()) {
      curve_lines.push_back(line.label);
    }
  }
  for (double d2o : series_percentages(options)) {
    points.push_back(format_number(d2o, {NumberFormat::kGeneral, 6}));
  }
  const std::string report = report_text(planned, options);
  const bool curves = options.compute_curves;
  answer =
      "{\"status\":0,\"warnings\":" + list(warnings) + ",\"notes\":" + list(notes) +
      ",\"columns\":" + columns_json(planned, options) +
      ",\"match_points\":" + match_points_json(planned) +
      ",\"stuhrmann\":" + stuhrmann_json(planned) + ",\"curve_lines\":" + list(curve_lines) +
      ",\"points\":" + list(points) + ",\"svg\":" + json_quoted(result_plot(planned, options)) +
      ",\"measured\":" + measured_json(planned) +
      ",\"measured_findings\":" + json_quoted(measured_findings(planned)) +
      ",\"fitted\":" + (planned.fit.fitted ? "true" : "false") +
      ",\"report\":" + json_quoted(report) +
      ",\"series_csv\":" + json_quoted(csv_report(planned.components, planned.lines, options)) +
      ",\"stuhrmann_csv\":" + json_quoted(stuhrmann_csv(planned.lines)) +
      ",\"curves_csv\":" + json_quoted(curves ? curves_csv(planned.lines, q_grid(options)) : "") +
      ",\"pr_csv\":" + json_quoted(curves ? pr_csv(planned.lines) : "") + "}";
  return answer.c_str();
}
}
