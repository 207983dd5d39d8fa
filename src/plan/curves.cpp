#include "plan/curves.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#if !defined(__EMSCRIPTEN__)
#include <thread>
#endif

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

// Where motion m places a point.
void move(const RigidMotion& m, double x, double y, double z, double* out) {
  for (size_t i = 0; i < 3; ++i) {
    out[i] = m.r[3 * i] * x + m.r[3 * i + 1] * y + m.r[3 * i + 2] * z + m.t[i];
  }
}

// Whether point q is where m puts point p, to 1e-3 angstrom.
bool moved_point(const RigidMotion& m, double px, double py, double pz, double qx, double qy,
                 double qz) {
  double moved[3];
  move(m, px, py, pz, moved);
  return std::fabs(moved[0] - qx) <= 1e-3 && std::fabs(moved[1] - qy) <= 1e-3 &&
         std::fabs(moved[2] - qz) <= 1e-3;
}

// Whether `b` is the same unit as `a`, where m puts a and each of its atoms.
bool moved_unit(const PlacedUnit& a, const PlacedUnit& b, const RigidMotion& m) {
  const Unit &u = a.unit, &v = b.unit;
  if (!(u.mass == v.mass && u.volume == v.volume && u.length == v.length &&
        u.nonexchangeable_h == v.nonexchangeable_h && u.exchangeable_h == v.exchangeable_h &&
        u.electrons == v.electrons && a.deuteration == b.deuteration && a.exchange == b.exchange &&
        a.atoms.size() == b.atoms.size() && moved_point(m, a.x, a.y, a.z, b.x, b.y, b.z))) {
    return false;
  }
  for (size_t k = 0; k < a.atoms.size(); ++k) {
    const AtomPoint &p = a.atoms[k], &q = b.atoms[k];
    if (std::strcmp(p.element, q.element) != 0 || !moved_point(m, p.x, p.y, p.z, q.x, q.y, q.z)) {
      return false;
    }
  }
  return true;
}

// Whether `placed` is copies of its copy 0 by `motions`: as many units in each copy, each
// the same unit as copy 0's of its place and where that copy's motion puts it (to 1e-3
// angstrom). Fills `order` with each copy's units in their order.
bool copies_of(const std::vector<PlacedUnit>& placed, const std::vector<RigidMotion>& motions,
               std::vector<std::vector<size_t>>* order) {
  if (motions.size() < 2) {
    return false;
  }
  order->assign(motions.size(), {});
  for (size_t i = 0; i < placed.size(); ++i) {
    const auto copy = static_cast<size_t>(placed[i].copy);
    if (placed[i].copy < 0 || copy >= motions.size()) {
      return false;
    }
    (*order)[copy].push_back(i);
  }
  const std::vector<size_t>& first = order->front();
  for (size_t k = 1; k < motions.size(); ++k) {
    if ((*order)[k].size() != first.size()) {
      return false;
    }
    for (size_t i = 0; i < first.size(); ++i) {
      if (!moved_unit(placed[first[i]], placed[(*order)[k][i]], motions[k])) {
        return false;
      }
    }
  }
  return true;
}

// Whether `b` is `a` moved by `m`: the same units in the same order, each where m puts
// a's (to 1e-3 angstrom).
bool image_of(const std::vector<PlacedUnit>& a, const std::vector<PlacedUnit>& b,
              const RigidMotion& m) {
  if (a.size() != b.size()) {
    return false;
  }
  for (size_t i = 0; i < a.size(); ++i) {
    if (!moved_unit(a[i], b[i], m)) {
      return false;
    }
  }
  return true;
}

// The orthonormal frame of units i0, i1, i2 (columns: along i0 to i1, then towards i2).
void frame_of(const std::vector<PlacedUnit>& u, size_t i0, size_t i1, size_t i2, double f[9]) {
  double e1[3] = {u[i1].x - u[i0].x, u[i1].y - u[i0].y, u[i1].z - u[i0].z};
  double e2[3] = {u[i2].x - u[i0].x, u[i2].y - u[i0].y, u[i2].z - u[i0].z};
  const double n1 = std::sqrt(e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2]);
  for (double& v : e1) {
    v /= n1;
  }
  const double along = e2[0] * e1[0] + e2[1] * e1[1] + e2[2] * e1[2];
  for (size_t k = 0; k < 3; ++k) {
    e2[k] -= along * e1[k];
  }
  const double n2 = std::sqrt(e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2]);
  for (double& v : e2) {
    v /= n2;
  }
  const double e3[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                        e1[0] * e2[1] - e1[1] * e2[0]};
  for (size_t k = 0; k < 3; ++k) {
    f[3 * k] = e1[k];
    f[3 * k + 1] = e2[k];
    f[3 * k + 2] = e3[k];
  }
}

// The motion that would take `a` onto `b` were b a moved: fixed by three of a's units
// far apart (the first, the one furthest from it, and the one furthest from the line of
// those two), and false where a's units lie within an angstrom of a line.
bool motion_onto(const std::vector<PlacedUnit>& a, const std::vector<PlacedUnit>& b,
                 RigidMotion* m) {
  if (a.size() != b.size() || a.size() < 3) {
    return false;
  }
  const auto from_first = [&](size_t i) {
    const double d[3] = {a[i].x - a[0].x, a[i].y - a[0].y, a[i].z - a[0].z};
    return d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
  };
  size_t i1 = 0;
  for (size_t i = 1; i < a.size(); ++i) {
    i1 = from_first(i) > from_first(i1) ? i : i1;
  }
  const double axis[3] = {a[i1].x - a[0].x, a[i1].y - a[0].y, a[i1].z - a[0].z};
  const double length2 = from_first(i1);
  const auto off_line = [&](size_t i) {
    const double d[3] = {a[i].x - a[0].x, a[i].y - a[0].y, a[i].z - a[0].z};
    const double along = d[0] * axis[0] + d[1] * axis[1] + d[2] * axis[2];
    return from_first(i) - along * along / length2;
  };
  size_t i2 = 0;
  for (size_t i = 1; i < a.size(); ++i) {
    i2 = off_line(i) > off_line(i2) ? i : i2;
  }
  if (!(length2 > 1.0) || !(off_line(i2) > 1.0)) {
    return false;
  }
  double fa[9], fb[9];
  frame_of(a, 0, i1, i2, fa);
  frame_of(b, 0, i1, i2, fb);
  for (size_t i = 0; i < 3; ++i) {
    for (size_t j = 0; j < 3; ++j) {
      m->r[3 * i + j] =
          fb[3 * i] * fa[3 * j] + fb[3 * i + 1] * fa[3 * j + 1] + fb[3 * i + 2] * fa[3 * j + 2];
    }
  }
  m->t[0] = m->t[1] = m->t[2] = 0.0;
  double turned[3];
  move(*m, a[0].x, a[0].y, a[0].z, turned);
  const double first[3] = {b[0].x, b[0].y, b[0].z};
  for (size_t k = 0; k < 3; ++k) {
    m->t[k] = first[k] - turned[k];
  }
  return true;
}

// A component line that is a copy of an earlier one (an assembly's chain turned, or any
// model's chain moved): the same units as an earlier line of the same file, each unit
// and atom where one motion puts that line's (to 1e-3 angstrom). That line's index,
// whose curves are its own, the molecule moved, and not the grid's shell about it in
// another place; else -1.
int earlier_copy(const std::vector<Component>& components, const std::vector<SeriesLine>& lines,
                 size_t index) {
  const SeriesLine& line = lines[index];
  if (line.is_complex) {
    return -1;
  }
  const Component& own = components[static_cast<size_t>(line.component)];
  for (size_t e = 0; e < index; ++e) {
    const SeriesLine& earlier = lines[e];
    if (earlier.is_complex || earlier.share != line.share || earlier.weighed != line.weighed) {
      continue;
    }
    const Component& other = components[static_cast<size_t>(earlier.component)];
    RigidMotion motion{};
    if (other.input == own.input && motion_onto(other.placed, own.placed, &motion) &&
        image_of(other.placed, own.placed, motion)) {
      return static_cast<int>(e);
    }
  }
  return -1;
}

// The units of one molecule, or of copy 0 of an assembly: each placed unit, or its atoms.
std::vector<ScatteringUnit> units_of(const std::vector<PlacedUnit>& placed,
                                     const std::vector<size_t>& which, const SeriesOptions& options,
                                     const Solvent& solvent) {
  const std::vector<double> in_h2o = unit_contrasts(placed, solvent, 0.0);
  const std::vector<double> in_d2o = unit_contrasts(placed, solvent, 1.0);
  std::vector<ScatteringUnit> units;
  for (size_t i : which) {
    const PlacedUnit& u = placed[i];
    const double a = in_h2o[i], c = in_d2o[i] - in_h2o[i];
    if (options.units == CurveUnits::kAtoms && !u.atoms.empty()) {
      add_atoms(u, a, c, solvent, &units);
    } else {
      units.push_back({u.x, u.y, u.z, a, c});
    }
  }
  return units;
}

// `units` followed by their images under motions 1, 2, ...
void add_images(const std::vector<ScatteringUnit>& units, const std::vector<RigidMotion>& motions,
                std::vector<ScatteringUnit>* out) {
  out->insert(out->end(), units.begin(), units.end());
  for (size_t k = 1; k < motions.size(); ++k) {
    for (const ScatteringUnit& u : units) {
      double p[3];
      move(motions[k], u.x, u.y, u.z, p);
      out->push_back({p[0], p[1], p[2], u.a, u.c});
    }
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
  for (const ConfigurationBins& rings : options.rings) {
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
                           const Solvent& solvent, const std::vector<RigidMotion>& symmetry) {
  std::vector<std::vector<size_t>> order;
  if (!copies_of(placed, symmetry, &order)) {
    order.assign(1, {});
    for (size_t i = 0; i < placed.size(); ++i) {
      order.front().push_back(i);
    }
  }
  // Copies of a group: copy 0's units and their images; otherwise the units as they come.
  const size_t copies = order.size();
  const std::vector<RigidMotion> none;
  const std::vector<RigidMotion>& motions = copies > 1 ? symmetry : none;
  LineUnits line{{}, 0.0, 0, {}, {}};
  const std::vector<ScatteringUnit> first = units_of(placed, order.front(), options, solvent);
  if (copies > 1) {
    line.copies = {copies, first.size()};
  }
  add_images(first, motions, &line.units);
  double volume = 0.0;
  std::vector<Sphere> spheres;
  std::vector<bool> owned;
  for (const PlacedUnit& u : placed) {
    volume += u.unit.volume;
    spheres.push_back({u.x, u.y, u.z, std::cbrt(3.0 * u.unit.volume / (4.0 * PI))});
    owned.push_back(u.copy == 0);
  }
  line.unit_volume = line.units.empty() ? 0.0 : volume / static_cast<double>(line.units.size());
  if (options.shell) {
    // The shell's water is denser than the bulk by shell_density: that excess, with the
    // solvent's own D fraction, is the shell's contrast. An assembly's is its first
    // copy's share, placed around every copy, and scaled to hold the whole layer's water
    // (the grid's cells fall unevenly to the copies, by a few percent).
    const double excess = options.shell_density / 100.0;
    line.alike.a = solvent.sld_at_h2o;
    line.alike.c = solvent.sld_per_d2o;
    double whole = 0.0;
    const std::vector<ShellPiece> pieces =
        hydration_shell(spheres, copies > 1 ? owned : std::vector<bool>{}, &whole);
    double share = 0.0;
    for (const ShellPiece& piece : pieces) {
      share += piece.volume * static_cast<double>(copies);
    }
    const double even = copies > 1 && share > 0.0 ? whole / share : 1.0;
    std::vector<ScatteringUnit> shell;
    std::vector<double> scales;
    for (const ShellPiece& piece : pieces) {
      const double scale = excess * piece.volume * even;
      shell.push_back({piece.x, piece.y, piece.z, scale * line.alike.a, scale * line.alike.c});
      scales.push_back(scale);
    }
    add_images(shell, motions, &line.units);
    for (size_t k = 0; k < copies; ++k) {
      line.alike.scale.insert(line.alike.scale.end(), scales.begin(), scales.end());
    }
    line.shell = line.alike.scale.size();
  }
  return line;
}

namespace {

// A line's curves over `grid` from its placed units, its pairs summed by `threads`.
void line_curves(const std::vector<PlacedUnit>& placed, const SeriesOptions& options,
                 const Solvent& solvent, const CurveGrid& grid, int threads,
                 const Progress& progress, SeriesLine* line) {
  const std::vector<double>& q = grid.q;
  const std::vector<double> shown(q.begin(), q.begin() + static_cast<std::ptrdiff_t>(grid.shown));
  const LineUnits units = scattering_units(placed, options, solvent, line->symmetry);
  const PairHistogram histogram = pair_histogram(units.units, bin_width(q.back()), threads,
                                                 progress, units.alike, units.copies);
  const DebyeSums sums = debye_sums(histogram, q, grid.equal_steps);
  const double spread = unit_rg2(units.unit_volume);
  // fm^2 per molecule to 1/cm: molecules per cm^3 times (1e-13 cm/fm)^2.
  const double scale = line->share * 1e-3 * AVOGADRO / line->weighed * 1e-26;
  LineCurves& curves = line->curves;
  curves.dmax = max_distance(histogram);
  curves.unit_rg2 = spread;
  curves.shell_units = units.shell;
  const bool wants_pr = options.compute_pr;
  const PairDistributions distributions =
      wants_pr ? pair_distributions(histogram, PR_STEP, spread) : PairDistributions{};
  for (const SeriesPoint& p : line->points) {
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

// Lines of fewer units than this are one piece of pairs (pair_histogram: 2^20 pairs or
// fewer), which one thread sums: they are shared out among the threads whole instead.
constexpr double SPLIT_UNITS = 1448.0;

// The units a line's pairs will be summed over, roughly: its atoms or placed units, and
// with a shell about as many again.
double units_estimate(const std::vector<PlacedUnit>& placed, const SeriesOptions& options) {
  double units = 0.0;
  for (const PlacedUnit& u : placed) {
    units += options.units == CurveUnits::kAtoms && !u.atoms.empty()
                 ? static_cast<double>(u.atoms.size())
                 : 1.0;
  }
  return options.shell ? 2.0 * units : units;
}

}  // namespace

void add_curves(const std::vector<Component>& components, const SeriesOptions& options,
                const Solvent& solvent, std::vector<SeriesLine>* lines) {
  const CurveGrid grid = curve_grid(options);
  const auto placed_of = [&](const SeriesLine& line) -> const std::vector<PlacedUnit>& {
    return line.is_complex ? line.placed : components[static_cast<size_t>(line.component)].placed;
  };
  // The pairs of every line, so that progress runs evenly over the lines' pair passes.
  // Large lines come first, each cut into pieces for the threads; then the small ones,
  // each whole on a thread, the calling thread saying how far they have come; then the
  // chains that are an earlier chain moved take its curves.
  double pairs = 0.0;
  std::vector<size_t> large, small;
  std::vector<int> copy_of(lines->size(), -1);
  for (size_t index = 0; index < lines->size(); ++index) {
    const auto n = static_cast<double>(placed_of((*lines)[index]).size());
    copy_of[index] = earlier_copy(components, *lines, index);
    if (n > 0.0 && copy_of[index] < 0) {
      pairs += n * n;
      (units_estimate(placed_of((*lines)[index]), options) < SPLIT_UNITS ? small : large)
          .push_back(index);
    }
  }
  double done = 0.0;
  for (size_t index : large) {
    SeriesLine& line = (*lines)[index];
    const auto n = static_cast<double>(placed_of(line).size());
    const Progress progress{options.progress, done / pairs, n * n / pairs, options.progress_stage};
    done += n * n;
    line_curves(placed_of(line), options, solvent, grid, options.threads, progress, &line);
  }
  std::atomic<size_t> next(0);
  std::atomic<double> finished(done);
  const auto work = [&](bool reports) {
    for (size_t k = next++; k < small.size(); k = next++) {
      SeriesLine& line = (*lines)[small[k]];
      const auto n = static_cast<double>(placed_of(line).size());
      line_curves(placed_of(line), options, solvent, grid, 1, {nullptr, 0.0, 1.0}, &line);
      double was = finished.load();
      while (!finished.compare_exchange_weak(was, was + n * n)) {
      }
      if (reports && options.progress != nullptr) {
        options.progress(options.progress_stage, finished.load() / pairs);
      }
    }
  };
#if defined(__EMSCRIPTEN__)
  work(true);
#else
  std::vector<std::thread> helpers;
  for (size_t t = 1; t < std::min(static_cast<size_t>(std::max(options.threads, 1)), small.size());
       ++t) {
    helpers.emplace_back(work, false);
  }
  work(true);
  for (std::thread& helper : helpers) {
    helper.join();
  }
  if (options.progress != nullptr && !helpers.empty()) {  // a helper may have ended it
    options.progress(options.progress_stage, 1.0);
  }
#endif
  for (size_t index = 0; index < lines->size(); ++index) {
    if (copy_of[index] >= 0) {
      (*lines)[index].curves = (*lines)[static_cast<size_t>(copy_of[index])].curves;
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
  const LineUnits units = scattering_units(placed, at, solvent, line.symmetry);
  const PairHistogramParts parts = pair_histogram_parts(
      units.units, bin_width(grid.q.back()), options.threads,
      {options.progress, 0.0, 1.0, options.progress_stage}, units.alike, units.copies);
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
