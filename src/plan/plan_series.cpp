#include "plan/plan_series.h"

#include <algorithm>
#include <map>

#include "plan/beamtime.h"
#include "plan/curves.h"
#include "plan/simulation.h"

namespace {

// A rewindable copy of standard input, for a FILE of "-": the code is guessed from the
// first entry and the file read again.
std::FILE* copy_of_input(std::FILE* in) {
  std::FILE* copy = std::tmpfile();
  if (copy == nullptr || in == nullptr) {
    if (copy != nullptr) {
      std::fclose(copy);
    }
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
  const auto where = [](const Component& c) {
    return c.spec.path.empty() ? "--formula " + c.spec.formula : c.spec.path;
  };
  for (const Component& c : components) {
    const std::string& label = c.spec.label;
    const auto [it, fresh] = seen.emplace(label, &c);
    const bool reserved = complex && label == "complex";
    if (!fresh || reserved) {
      const std::string other = reserved ? "the complex of all components" : where(*it->second);
      *error = plan_error(c.input, "--label",
                          "two components are labelled \"" + label + "\" (" + other + " and " +
                              where(c) +
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
    if (spec.path == "-" && !spec.from_text && (input_copy = copy_of_input(in)) == nullptr) {
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

std::vector<SeriesLine> compute_lines(const std::vector<Component>& components,
                                      const SeriesOptions& options, const Solvent& solvent) {
  std::vector<SeriesLine> lines =
      options.records ? std::vector<SeriesLine>() : compute_series(components, options, solvent);
  if (wants_curves(options) || options.beamtime) {
    add_curves(components, options, solvent, &lines);
  }
  if (options.beamtime) {
    add_beamtime(components, options, solvent, &lines);
  }
  if (!options.configurations.empty()) {
    add_simulations(options, &lines);
  }
  return lines;
}

// The same series from the --compare model, its structure components read from it chain
// for chain; its warnings named as the second model's.
bool compare(const std::vector<Component>& first, const SeriesOptions& options,
             const Solvent& solvent, std::FILE* in, PlanResult* result, PlanError* error) {
  SeriesOptions second = options;
  second.components = comparison_specs(first, options);
  second.compare_path.clear();
  second.compute_simulation = false;
  second.outputs = SeriesOutputs();
  std::vector<Component> components;
  std::vector<std::string> heard;
  const bool loaded = load_all(second, solvent, in, &components, &heard, error);
  for (const std::string& warning : heard) {
    result->warnings.push_back("--compare " + options.compare_path + ": " + warning);
  }
  if (!loaded) {
    error->message = "--compare: " + error->message;
    return false;
  }
  std::vector<SeriesLine> lines = compute_series(components, second, solvent);
  add_curves(components, second, solvent, &lines);
  add_beamtime(components, second, solvent, &lines);
  add_comparison(lines, options, &result->lines);
  return true;
}

// Reads and fits the measured curves, and the match point they give together.
bool add_measured(const SeriesOptions& options, PlanResult* result, PlanError* error) {
  std::vector<SeriesMeasurement> series;
  for (const MeasuredInput& input : options.measured) {
    std::vector<MeasuredCurve> curves;
    std::string problem;
    if (!read_measured_file(input.path, &curves, &problem)) {
      *error = plan_error(-1, "--measured", "--measured: " + problem);
      error->value = input.path;
      return false;
    }
    if (curves.size() > 1) {
      result->warnings.push_back("--measured " + input.path + ": holds " +
                                 std::to_string(curves.size()) + " curves; the first is fitted ('" +
                                 curves.front().title + "')");
    }
    MeasuredPoint point{input, options.conc, curves.front(), {}};
    for (const auto& [d2o, conc] : options.measured_conc) {
      point.conc = d2o == input.d2o ? conc : point.conc;
    }
    point.guinier = fit_measured_guinier(point.curve);
    series.push_back({input.d2o / 100.0, point.conc, point.guinier});
    result->measured.push_back(std::move(point));
  }
  result->measured_match = measured_match(series);
  if (options.fit_measured) {
    std::vector<FitData> data;
    for (const MeasuredPoint& m : result->measured) {
      const bool absolute = m.conc > 0.0 && m.curve.intensity_unit == "1/cm";
      data.push_back({m.input.d2o, &m.curve, absolute ? m.conc : 0.0});
    }
    result->fit = fit_model(result->components, options, result->solvent, data);
  }
  if (!result->components.empty() && !result->measured.empty()) {
    // The model's contrast at each measured point, for Stuhrmann's parabola.
    SeriesOptions at = options;
    at.d2o.clear();
    for (const MeasuredInput& input : options.measured) {
      at.d2o.push_back(input.d2o);
    }
    std::sort(at.d2o.begin(), at.d2o.end());
    at.compute_curves = at.compute_pr = at.compute_simulation = at.beamtime = false;
    at.conc = 1.0;  // so that I(0) is per mg/mL
    const std::vector<SeriesLine> lines = compute_series(result->components, at, result->solvent);
    std::vector<double> contrast;
    std::vector<MeasuredGuinier> fits;
    for (MeasuredPoint& m : result->measured) {
      const size_t k = static_cast<size_t>(std::find(at.d2o.begin(), at.d2o.end(), m.input.d2o) -
                                           at.d2o.begin());
      contrast.push_back(lines.back().points[k].contrast_density);
      m.predicted_i0_per_conc = lines.back().points[k].forward_scattering;
      m.contrast_density = lines.back().points[k].contrast_density;
      fits.push_back(m.guinier);
    }
    result->stuhrmann_line = lines.back().label;
    result->measured_stuhrmann = measured_stuhrmann(contrast, fits);
    if (result->components.size() == 2) {
      std::vector<const MeasuredCurve*> curves;
      std::vector<double> conc, first, second;
      for (const MeasuredPoint& m : result->measured) {
        const size_t k = static_cast<size_t>(std::find(at.d2o.begin(), at.d2o.end(), m.input.d2o) -
                                             at.d2o.begin());
        curves.push_back(&m.curve);
        conc.push_back(m.conc);
        first.push_back(lines[0].points[k].contrast_density);
        second.push_back(lines[1].points[k].contrast_density);
      }
      result->basis = basis_curves(curves, conc, first, second);
    }
  }
  return true;
}

}  // namespace

bool plan_series(const SeriesOptions& options, std::FILE* standard_input, PlanResult* result,
                 PlanError* error) {
  result->solvent = solvent_of(options);
  if (options.conc > WARN_CONC) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "--conc %g mg/mL: above %g mg/mL the molecules crowd each other, and I(0) and "
                  "the times, which assume a dilute solution, are too high",
                  options.conc, WARN_CONC);
    result->warnings.emplace_back(text);
  }
  if (!load_all(options, result->solvent, standard_input, &result->components, &result->warnings,
                error) ||
      (!options.records && !labels_unique(result->components, error))) {
    return false;
  }
  result->lines = compute_lines(result->components, options, result->solvent);
  if (!add_measured(options, result, error)) {
    return false;
  }
  return options.compare_path.empty() ||
         compare(result->components, options, result->solvent, standard_input, result, error);
}
