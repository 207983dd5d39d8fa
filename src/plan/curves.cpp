#include "plan/curves.h"

#include <cmath>
#include <cstring>

#include "scattering/hydration_shell.h"
#include "scattering/scattering_model.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double Q_LOG_RANGE = 500.0;  // q_max over the first q of a logarithmic grid

bool is(const AtomPoint& atom, const char* symbol) {
  return std::strcmp(atom.element, symbol) == 0;
}

// The atoms of one unit, each with its element's scattering length, an even share of
// the unit's carbon-bound hydrogens (on its carbons) or labile ones (on N, O and S),
// and an even share of its volume; what the model lacks of the unit (atoms not
// modelled) is spread evenly, so that the atoms add up to the unit.
void add_atoms(const PlacedUnit& u, double unit_a, double unit_c, const Solvent& solvent,
               std::vector<ScatteringUnit>* out) {
  const Element& h = *find_element("H");
  double carbons = 0, polar = 0;
  for (const AtomPoint& atom : u.atoms) {
    carbons += is(atom, "C") ? 1 : 0;
    polar += is(atom, "N") || is(atom, "O") || is(atom, "S") ? 1 : 0;
  }
  const auto n = static_cast<double>(u.atoms.size());
  const double volume = u.unit.volume / n;
  const double s0 = solvent_sld(solvent, 0.0), s1 = solvent_sld(solvent, 1.0);
  const double labile_gain = u.exchange * labile_deuterium(solvent, 1.0) * solvent.steps.length;
  const size_t first = out->size();
  double sum_a = 0.0, sum_c = 0.0;
  for (const AtomPoint& atom : u.atoms) {
    const Element* element = find_element(atom.element);
    const double b = element != nullptr ? element->length : 0.0;
    const double fixed_h = carbons > 0 ? (is(atom, "C") ? u.unit.nonexchangeable_h / carbons : 0.0)
                                       : u.unit.nonexchangeable_h / n;
    const double labile_h =
        polar > 0 ? (is(atom, "N") || is(atom, "O") || is(atom, "S") ? u.unit.exchangeable_h / polar
                                                                     : 0.0)
                  : u.unit.exchangeable_h / n;
    const double a = b + fixed_h * (h.length + u.deuteration * solvent.steps.length) +
                     labile_h * h.length - volume * s0;
    const double c = labile_h * labile_gain - volume * (s1 - s0);
    out->push_back({atom.x, atom.y, atom.z, a, c});
    sum_a += a;
    sum_c += c;
  }
  for (size_t i = first; i < out->size(); ++i) {
    (*out)[i].a += (unit_a - sum_a) / n;
    (*out)[i].c += (unit_c - sum_c) / n;
  }
}

}  // namespace

std::vector<double> q_grid(const SeriesOptions& options) {
  std::vector<double> q(static_cast<size_t>(options.q_points));
  const double last = static_cast<double>(options.q_points - 1);
  for (size_t k = 0; k < q.size(); ++k) {
    const double t = static_cast<double>(k) / last;
    q[k] = options.q_log ? options.q_max * std::pow(Q_LOG_RANGE, t - 1.0) : options.q_max * t;
  }
  return q;
}

CurveGrid curve_grid(const SeriesOptions& options) {
  CurveGrid grid{q_grid(options), static_cast<size_t>(options.q_points), !options.q_log};
  double top = options.q_max;
  for (const Configuration& c : options.configurations) {
    const ConfigurationBins rings = configuration_bins(c);
    if (!rings.q.empty()) {
      top = std::fmax(top, rings.q.back() + SMEAR_WIDTH * rings.sigma.back());
    }
  }
  if (!(top > options.q_max)) {
    return grid;
  }
  const double n = static_cast<double>(options.q_points - 1);
  // Past q_max in the grid's own steps: q_max (1 + k/n), or q_max 500^(k/n).
  const double span = options.q_log ? std::log(top / options.q_max) / std::log(Q_LOG_RANGE)
                                    : top / options.q_max - 1.0;
  int extra = MAX_Q_POINTS;
  double per_step = span / MAX_Q_POINTS;
  if (span * n < MAX_Q_POINTS) {
    extra = static_cast<int>(std::ceil(span * n - 1e-9));
    per_step = 1.0 / n;
  } else {
    grid.equal_steps = false;
  }
  for (int k = 1; k <= extra; ++k) {
    const double t = k * per_step;
    grid.q.push_back(options.q_log ? options.q_max * std::pow(Q_LOG_RANGE, t)
                                   : options.q_max * (1.0 + t));
  }
  return grid;
}

double bin_width(double q_top) {
  return 0.01 / q_top;
}

LineUnits scattering_units(const std::vector<PlacedUnit>& placed, const SeriesOptions& options,
                           const Solvent& solvent) {
  const std::vector<double> in_h2o = unit_contrasts(placed, solvent, 0.0);
  const std::vector<double> in_d2o = unit_contrasts(placed, solvent, 1.0);
  std::vector<ScatteringUnit> units;
  double volume = 0.0;
  std::vector<Sphere> spheres;
  for (size_t i = 0; i < placed.size(); ++i) {
    const PlacedUnit& u = placed[i];
    const double a = in_h2o[i], c = in_d2o[i] - in_h2o[i];
    if (options.units == CurveUnits::kAtoms && !u.atoms.empty()) {
      add_atoms(u, a, c, solvent, &units);
    } else {
      units.push_back({u.x, u.y, u.z, a, c});
    }
    volume += u.unit.volume;
    spheres.push_back({u.x, u.y, u.z, std::cbrt(3.0 * u.unit.volume / (4.0 * PI))});
  }
  LineUnits line{{}, units.empty() ? 0.0 : volume / static_cast<double>(units.size()), 0, {}};
  if (options.shell) {
    // The shell's water is denser than the bulk by shell_density: that excess, with the
    // solvent's own D fraction, is the shell's contrast.
    const double excess = options.shell_density / 100.0;
    line.alike.a = solvent.sld_at_h2o;
    line.alike.c = solvent.sld_per_d2o;
    for (const ShellPiece& piece : hydration_shell(spheres)) {
      const double scale = excess * piece.volume;
      units.push_back({piece.x, piece.y, piece.z, scale * line.alike.a, scale * line.alike.c});
      line.alike.scale.push_back(scale);
      ++line.shell;
    }
  }
  line.units = std::move(units);
  return line;
}

void add_curves(const std::vector<Component>& components, const SeriesOptions& options,
                const Solvent& solvent, std::vector<SeriesLine>* lines) {
  const CurveGrid grid = curve_grid(options);
  const std::vector<double>& q = grid.q;
  const std::vector<double> shown(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(grid.shown));
  const auto placed_of = [&](const SeriesLine& line) -> const std::vector<PlacedUnit>& {
    return line.is_complex ? line.placed : components[static_cast<size_t>(line.component)].placed;
  };
  // The pairs of every line, so that progress runs evenly over the lines' pair passes.
  double pairs = 0.0, done = 0.0;
  for (const SeriesLine& line : *lines) {
    const auto n = static_cast<double>(placed_of(line).size());
    pairs += n * n;
  }
  for (SeriesLine& line : *lines) {
    const std::vector<PlacedUnit>& placed = placed_of(line);
    if (placed.empty()) {
      continue;
    }
    const auto n = static_cast<double>(placed.size());
    const Progress progress{options.progress, done / pairs, n * n / pairs, options.progress_stage};
    done += n * n;
    const LineUnits units = scattering_units(placed, options, solvent);
    const PairHistogram histogram =
        pair_histogram(units.units, bin_width(q.back()), options.threads, progress, units.alike);
    const DebyeSums sums = debye_sums(histogram, q, grid.equal_steps);
    const double spread = unit_rg2(units.unit_volume);
    // fm^2 per molecule to 1/cm: molecules per cm^3 times (1e-13 cm/fm)^2.
    const double scale = line.share * 1e-3 * AVOGADRO / line.weighed * 1e-26;
    LineCurves& curves = line.curves;
    curves.dmax = max_distance(histogram);
    curves.unit_rg2 = spread;
    curves.shell_units = units.shell;
    const bool wants_pr = options.compute_pr;
    const PairDistributions distributions =
        wants_pr ? pair_distributions(histogram, PR_STEP, spread) : PairDistributions{};
    for (const SeriesPoint& p : line.points) {
      std::vector<double> intensity(q.size());
      for (size_t k = 0; k < q.size(); ++k) {
        intensity[k] = scale * ::intensity(sums, k, p.d2o_fraction, unit_form_factor(q[k], spread));
      }
      curves.guinier.push_back(fit_guinier(
          shown, {intensity.begin(), intensity.begin() + static_cast<std::ptrdiff_t>(grid.shown)}));
      curves.intensity.push_back(std::move(intensity));
      if (wants_pr) {
        std::vector<double> pr = pair_distribution(distributions, p.d2o_fraction);
        for (double& value : pr) {
          value *= scale;
        }
        curves.pr.push_back(std::move(pr));
      }
    }
  }
}

ShellQuadratic shell_quadratic(const std::vector<Component>& components,
                               const SeriesOptions& options, const Solvent& solvent,
                               const SeriesLine& line) {
  const CurveGrid grid = curve_grid(options);
  ShellQuadratic result{grid.q, {}, {}, {}};
  SeriesOptions at = options;
  at.shell = true;
  at.shell_density = 100.0;  // the shell's lengths at t = 100 %, which t / 100 scales
  const std::vector<PlacedUnit>& placed =
      line.is_complex ? line.placed : components[static_cast<size_t>(line.component)].placed;
  const LineUnits units = scattering_units(placed, at, solvent);
  const PairHistogramParts parts =
      pair_histogram_parts(units.units, bin_width(grid.q.back()), options.threads,
                           {options.progress, 0.0, 1.0, options.progress_stage}, units.alike);
  const DebyeSums model = debye_sums(parts.model, grid.q, grid.equal_steps);
  const DebyeSums cross = debye_sums(parts.cross, grid.q, grid.equal_steps);
  const DebyeSums shell = debye_sums(parts.shell, grid.q, grid.equal_steps);
  const double spread = unit_rg2(units.unit_volume);
  // fm^2 per molecule to 1/cm, as the curves have it.
  const double scale = line.share * 1e-3 * AVOGADRO / line.weighed * 1e-26;
  for (const SeriesPoint& p : line.points) {
    const size_t n = grid.q.size();
    std::vector<double> a(n), b(n), c(n);
    for (size_t k = 0; k < n; ++k) {
      const double form = unit_form_factor(grid.q[k], spread);
      a[k] = scale * intensity(model, k, p.d2o_fraction, form);
      b[k] = scale * intensity(cross, k, p.d2o_fraction, form) / 100.0;
      c[k] = scale * intensity(shell, k, p.d2o_fraction, form) / 10000.0;
    }
    result.a.push_back(std::move(a));
    result.b.push_back(std::move(b));
    result.c.push_back(std::move(c));
  }
  return result;
}
