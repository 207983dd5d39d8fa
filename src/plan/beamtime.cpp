#include "plan/beamtime.h"

#include <cmath>

#include "plan/curves.h"
#include "plan/simulation.h"
#include "scattering/beamtime.h"
#include "scattering/radius_of_gyration.h"

namespace {

constexpr double PI = 3.14159265358979323846;

// The radius of gyration of the units' volume, each spread over its own extent: the
// molecule's size, whatever the contrast.
double shape_rg(const std::vector<PlacedUnit>& placed) {
  double cx = 0.0, cy = 0.0, cz = 0.0, volume = 0.0, second = 0.0;
  centre_of_volume(placed, &cx, &cy, &cz);
  for (const PlacedUnit& u : placed) {
    second += u.unit.volume *
              ((u.x - cx) * (u.x - cx) + (u.y - cy) * (u.y - cy) + (u.z - cz) * (u.z - cz));
    volume += u.unit.volume;
  }
  return std::sqrt(second / volume + unit_rg2(mean_unit_volume(placed)));
}

// Whether every component of the line is a protein read from a sequence.
bool all_proteins(const SeriesLine& line, const std::vector<Component>& components) {
  for (size_t i = 0; i < components.size(); ++i) {
    const Component& c = components[i];
    const bool member = line.is_complex || static_cast<size_t>(line.component) == i;
    if (member && (c.spec.kind != ChainKind::kProtein || !c.spec.formula.empty())) {
      return false;
    }
  }
  return true;
}

const std::vector<PlacedUnit>& placed_of(const SeriesLine& line,
                                         const std::vector<Component>& components) {
  return line.is_complex ? line.placed : components[static_cast<size_t>(line.component)].placed;
}

// The line's hydrogens per molecule at x: its component's, or every component's times
// its copies.
Hydrogens line_hydrogens(const SeriesLine& line, const std::vector<Component>& components,
                         const Solvent& solvent, double x) {
  Hydrogens sum;
  for (size_t i = 0; i < components.size(); ++i) {
    if (!line.is_complex && static_cast<size_t>(line.component) != i) {
      continue;
    }
    double h = 0.0, d = 0.0;
    molecule_hydrogens(components[i].makeup, solvent, x, &h, &d);
    const double copies = line.is_complex ? static_cast<double>(components[i].spec.copies) : 1.0;
    sum.h += copies * h;
    sum.d += copies * d;
  }
  return sum;
}

// Where the line's signal comes from and the Rg that sets its Guinier range.
void choose_source(const SeriesLine& line, const std::vector<Component>& components,
                   LineBeamtime* b) {
  const std::vector<PlacedUnit>& placed = placed_of(line, components);
  if (!line.curves.intensity.empty() && !placed.empty()) {
    b->source = SignalSource::kCurves;
    b->rg = shape_rg(placed);
  } else if (all_proteins(line, components)) {
    b->source = SignalSource::kEstimate;
    b->rg = compact_protein_rg(static_cast<double>(line.residues));
  } else {
    b->source = SignalSource::kSphere;
    const double radius = std::cbrt(3.0 * line.points.front().volume / (4.0 * PI));
    b->rg = std::sqrt(0.6) * radius;
  }
}

// With named configurations, the rings of the line's low-q configuration within its
// Guinier range, and that configuration's instrument; without, no rings.
ConfigurationBins low_q_rings(const SeriesOptions& options, const LineBeamtime& b,
                              Instrument* instrument) {
  ConfigurationBins rings;
  if (!counts_on_configurations(options)) {
    return rings;
  }
  bool covered = false;
  const size_t low = needed_configurations(options.rings, b.rg, options.q_max, &covered)[0];
  *instrument = configuration_instrument(options.configurations[low], options);
  const ConfigurationBins& all = options.rings[low];
  for (size_t k = 0; k < all.q.size() && all.q[k] <= b.q_max; ++k) {
    rings.q.push_back(all.q[k]);
    rings.width.push_back(all.width[k]);
    rings.sigma.push_back(all.sigma[k]);
  }
  return rings;
}

void line_beamtime(const std::vector<Component>& components, const SeriesOptions& options,
                   const Solvent& solvent, const HydrogenFigures& atoms, SeriesLine* line) {
  LineBeamtime& b = line->beamtime;
  choose_source(*line, components, &b);
  const std::vector<double> grid = curve_grid(options).q;
  b.q_max = GUINIER_END / b.rg;
  if (b.source == SignalSource::kCurves) {
    b.q_max = std::fmin(b.q_max, grid.back());
  }
  Instrument instrument{flux_of(options), options.aperture, options.wavelength, options.efficiency};
  b.range = b.q_max > options.q_min;
  const ConfigurationBins rings = low_q_rings(options, b, &instrument);
  if (counts_on_configurations(options)) {
    b.range = rings.q.size() >= 2;
    b.rings_low = rings.q.empty() ? 0.0 : rings.q.front();
    b.rings_high = rings.q.empty() ? 0.0 : rings.q.back();
  }
  // Molecules per cm^3 of the line's sample, from its share of the concentration.
  const double molecules = line->share * 1e-3 / line->weighed * AVOGADRO;
  for (size_t i = 0; i < line->points.size(); ++i) {
    const SeriesPoint& p = line->points[i];
    const SolutionFigures buffer = buffer_figures(solvent, atoms, p.d2o_fraction);
    Hydrogens h = line_hydrogens(*line, components, solvent, p.d2o_fraction);
    h.h *= molecules;
    h.d *= molecules;
    const SolutionFigures sample = sample_figures(buffer, atoms, molecules * p.volume * 1e-24, h);
    BeamtimePoint point{
        sample.background, {}, 0, options.cells.front(), NAN, false, 0.0, sample, buffer};
    CountedRange range{{}, {}, (b.q_max - options.q_min) / COUNTED_BINS, {}};
    if (!rings.q.empty()) {
      range.q = rings.q;
      range.widths = rings.width;
      range.intensity =
          smear([&](double q) { return line_intensity(*line, grid, i, q); }, rings.q, rings.sigma);
    }
    for (int k = 0; b.range && rings.q.empty() && k < COUNTED_BINS; ++k) {
      const double q = options.q_min + (k + 0.5) * range.width;
      range.q.push_back(q);
      range.intensity.push_back(line_intensity(*line, grid, i, q));
    }
    bool chosen = false;
    for (size_t cell = 0; cell < options.cells.size(); ++cell) {
      const double path = options.cells[cell] / 10.0;  // cm
      point.transmissions.push_back(std::exp(-sample.attenuation * path));
      if (!b.range) {
        continue;
      }
      const CountingTime t =
          counting_time(instrument, path, sample, buffer, range, options.target / 100.0);
      if (!chosen || (t.signal && (!point.signal || t.time < point.time))) {
        point.cell = cell;
        point.path = options.cells[cell];
        point.signal = t.signal;
        point.signal_rate = t.signal_rate;
        point.time = t.time;
        chosen = true;
      }
    }
    b.total += point.signal ? 2.0 * point.time : 0.0;
    b.points.push_back(point);
  }
}

}  // namespace

double line_intensity(const SeriesLine& line, const std::vector<double>& grid, size_t i, double q) {
  const LineBeamtime& b = line.beamtime;
  if (b.source != SignalSource::kCurves) {
    return line.points[i].forward_scattering * std::exp(-q * q * b.rg * b.rg / 3.0);
  }
  const std::vector<double>& curve = line.curves.intensity[i];
  size_t k = 1;
  while (k + 1 < grid.size() && grid[k] < q) {
    ++k;
  }
  const double f = (q - grid[k - 1]) / (grid[k] - grid[k - 1]);
  return curve[k - 1] + std::fmin(1.0, std::fmax(0.0, f)) * (curve[k] - curve[k - 1]);
}

double compact_protein_rg(double residues) {
  return 2.2 * std::pow(residues, 0.38);
}

void add_beamtime(const std::vector<Component>& components, const SeriesOptions& options,
                  const Solvent& solvent, std::vector<SeriesLine>* lines) {
  const HydrogenFigures atoms =
      hydrogen_figures(solvent, options.wavelength, options.background_h2o, options.background_d2o);
  for (SeriesLine& line : *lines) {
    line_beamtime(components, options, solvent, atoms, &line);
  }
}
