#include "plan/plan_options.h"

#include <cmath>

#include "structure/structure_reader.h"

namespace {

// Whole steps from `from` that stay within `to`, allowing for rounding.
int64_t whole_steps(double from, double to, double step) {
  const double steps = std::floor((to - from) / step + 1e-9);
  return steps > MAX_POINTS ? MAX_POINTS : static_cast<int64_t>(steps);
}

bool lands_on_end(double from, double to, double step, int64_t steps) {
  return std::fabs(from + static_cast<double>(steps) * step - to) <= 1e-9 * step;
}

}  // namespace

int64_t d2o_point_count(double from, double to, double step) {
  const int64_t steps = whole_steps(from, to, step);
  const int64_t count = steps + 1 + (lands_on_end(from, to, step, steps) ? 0 : 1);
  return count > MAX_POINTS ? MAX_POINTS + 1 : count;
}

std::vector<double> d2o_percentages(double from, double to, double step) {
  const int64_t steps = whole_steps(from, to, step);
  std::vector<double> points;
  for (int64_t i = 0; i <= steps; ++i) {
    points.push_back(from + static_cast<double>(i) * step);
  }
  if (lands_on_end(from, to, step, steps)) {
    points.back() = to;
  } else {
    points.push_back(to);
  }
  return points;
}

bool is_structure(const ComponentSpec& spec) {
  return spec.input == InputKind::kStructure ||
         (spec.input == InputKind::kGuess && spec.formula.empty() && is_structure_path(spec.path));
}

Solvent solvent_of(const SeriesOptions& options) {
  if (options.solvent == SolventModel::kConsole) {
    return console_solvent();
  }
  return make_solvent(options.temperature, options.d2o_purity / 100.0, options.buffer);
}

UnitSet unit_set_of(const SeriesOptions& options) {
  if (options.volumes == ProteinVolumes::kPerkins) {
    return UnitSet::kPerkins;
  }
  return options.solvent == SolventModel::kConsole ? UnitSet::kConsole : UnitSet::kTable;
}

double exchange_of(const ComponentSpec& spec, const SeriesOptions& options) {
  return (spec.exchange >= 0.0 ? spec.exchange : options.exchange) / 100.0;
}

std::vector<double> series_percentages(const SeriesOptions& options) {
  return options.d2o.empty() ? d2o_percentages(options.from, options.to, options.step)
                             : options.d2o;
}

double typical_flux(double spread) {
  return DEFAULT_FLUX * spread / DEFAULT_SPREAD;
}

double flux_of(const SeriesOptions& options) {
  return options.flux > 0.0 ? options.flux : typical_flux(options.spread);
}

bool counts_on_configurations(const SeriesOptions& options) {
  return !options.config_names.empty() && !options.configurations.empty();
}

bool wants_simulation(const SeriesOptions& options) {
  return options.compute_simulation || !options.compare_path.empty();
}

bool wants_curves(const SeriesOptions& options) {
  return options.compute_curves || options.compute_pr;
}

void compute_for_outputs(SeriesOptions* options) {
  const SeriesOutputs& o = options->outputs;
  options->compute_curves =
      options->compute_curves || !o.curves_path.empty() || o.plot == PlotKind::kCurves;
  options->compute_pr = options->compute_pr || !o.pr_path.empty() || o.plot == PlotKind::kPr;
  options->compute_simulation =
      options->compute_simulation || !o.simulate_dir.empty() || o.plot == PlotKind::kSimulated;
  options->beamtime = options->beamtime || o.plot == PlotKind::kTime || wants_simulation(*options);
}

void set_rings(SeriesOptions* options) {
  options->rings.clear();
  for (const Configuration& c : options->configurations) {
    options->rings.push_back(configuration_bins(c));
  }
}
