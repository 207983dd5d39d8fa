#include "plan/simulation.h"

#include <cmath>
#include <limits>
#include <random>

#include "plan/beamtime.h"
#include "plan/curves.h"

namespace {

// A configuration covers q from its first ring's centre to its last's: the q its data
// points carry.
double lowest_q(const ConfigurationBins& rings) {
  return rings.q.empty() ? INFINITY : rings.q.front();
}

double highest_q(const ConfigurationBins& rings) {
  return rings.q.empty() ? 0.0 : rings.q.back();
}

// The rings of a configuration, up to q_max when it is above 0.
ConfigurationBins rings_up_to(ConfigurationBins all, double q_max) {
  if (q_max > 0.0) {
    size_t n = 0;
    while (n < all.q.size() && all.q[n] <= q_max) {
      ++n;
    }
    all.q.resize(n);
    all.width.resize(n);
    all.sigma.resize(n);
  }
  return all;
}

// The time at which I at the ring where it has fallen 100-fold from I(0) (or the last
// ring) has the relative error `target`.
double high_q_time(const std::vector<double>& smeared, const std::vector<double>& variance,
                   double forward, double target) {
  size_t k = 0;
  while (k + 1 < smeared.size() && smeared[k] > forward / 100.0) {
    ++k;
  }
  const double intensity = std::fabs(smeared[k]);
  return intensity > 0.0 ? variance[k] / (target * target * intensity * intensity) : INFINITY;
}

SimulatedContrast simulate_point(const SeriesLine& line, const SeriesOptions& options,
                                 const std::vector<double>& grid, size_t i,
                                 std::mt19937_64* random) {
  SimulatedContrast contrast;
  const BeamtimePoint& p = line.beamtime.points[i];
  const LineSimulation& plan = line.simulation;
  if (!p.signal) {
    return contrast;
  }
  const auto intensity = [&](double q) { return line_intensity(line, grid, i, q); };
  const double forward = intensity(0.0);
  for (size_t n = 0; n < plan.configs.size(); ++n) {
    const Configuration& c = options.configurations[plan.configs[n]];
    const ConfigurationBins bins =
        rings_up_to(options.rings[plan.configs[n]], plan.guinier_only ? line.beamtime.q_max : 0.0);
    if (bins.q.empty()) {
      continue;
    }
    SimulatedSegment segment{plan.configs[n], p.time, {}, {}, {}};
    const Counting counting{configuration_instrument(c, options), p.path / 10.0, p.sample, p.buffer,
                            1.0};
    segment.expected = smear(intensity, bins.q, bins.sigma);
    segment.variance = variance_per_second(counting, bins, segment.expected);
    if (n > 0) {
      segment.time =
          high_q_time(segment.expected, segment.variance, forward, options.target_high / 100.0);
    }
    if (!std::isfinite(segment.time)) {
      continue;
    }
    Counting timed = counting;
    timed.time = segment.time;
    segment.data = simulate_measurement(timed, bins, segment.expected, random);
    contrast.segments.push_back(segment);
  }
  return contrast;
}

}  // namespace

std::vector<size_t> needed_configurations(const std::vector<ConfigurationBins>& configs, double rg,
                                          double q_max, bool* covered) {
  const double q_low = 1.0 / (3.0 * rg);
  std::vector<size_t> chosen;
  size_t first = 0;
  for (size_t k = 0; k < configs.size(); ++k) {
    const bool reaches = lowest_q(configs[k]) <= q_low;
    const bool first_reaches = lowest_q(configs[first]) <= q_low;
    if ((reaches && (!first_reaches || highest_q(configs[k]) > highest_q(configs[first]))) ||
        (!reaches && !first_reaches && lowest_q(configs[k]) < lowest_q(configs[first]))) {
      first = k;
    }
  }
  chosen.push_back(first);
  *covered = lowest_q(configs[first]) <= q_low;
  double top = highest_q(configs[first]);
  while (top < q_max) {
    size_t next = configs.size();
    for (size_t k = 0; k < configs.size(); ++k) {
      const bool overlaps = lowest_q(configs[k]) <= top;
      if (highest_q(configs[k]) > top &&
          (next == configs.size() ||
           (overlaps ? highest_q(configs[k]) > highest_q(configs[next])
                     : lowest_q(configs[next]) > top &&
                           lowest_q(configs[k]) < lowest_q(configs[next])))) {
        next = k;
      }
    }
    if (next == configs.size()) {
      *covered = false;
      break;
    }
    *covered = *covered && lowest_q(configs[next]) <= top;
    chosen.push_back(next);
    top = highest_q(configs[next]);
  }
  return chosen;
}

Instrument configuration_instrument(const Configuration& c, const SeriesOptions& options) {
  const double flux = c.flux > 0.0         ? c.flux
                      : options.flux > 0.0 ? options.flux
                                           : typical_flux(c.spread);
  return {flux, c.sample_aperture, c.wavelength, options.efficiency};
}

void add_simulations(const SeriesOptions& options, std::vector<SeriesLine>* lines) {
  std::mt19937_64 generator(static_cast<uint64_t>(options.seed));
  std::mt19937_64* random = options.noise ? &generator : nullptr;
  const std::vector<double> grid = curve_grid(options).q;
  for (SeriesLine& line : *lines) {
    LineSimulation& plan = line.simulation;
    plan = LineSimulation();
    if (!line.beamtime.range) {
      continue;
    }
    plan.q_low = 1.0 / (3.0 * line.beamtime.rg);
    plan.guinier_only = line.beamtime.source != SignalSource::kCurves;
    // Without a model only the Guinier range is there to measure.
    plan.q_high = plan.guinier_only ? line.beamtime.q_max : options.q_max;
    plan.configs =
        needed_configurations(options.rings, line.beamtime.rg, plan.q_high, &plan.covered);
    if (plan.guinier_only) {
      plan.configs.resize(1);
      plan.covered = plan.covered && highest_q(options.rings[plan.configs[0]]) >= plan.q_high;
    }
    for (size_t i = 0; i < line.points.size(); ++i) {
      plan.points.push_back(simulate_point(line, options, grid, i, random));
      double time = 0.0;
      for (const SimulatedSegment& s : plan.points.back().segments) {
        time += s.time;
      }
      plan.total += 2.0 * time;
      // One time per sample: on named configurations the point's time is every
      // configuration's, so that the table, its total and the simulation agree.
      BeamtimePoint& p = line.beamtime.points[i];
      if (counts_on_configurations(options) && p.signal && time > 0.0) {
        p.time = time;
      }
    }
    if (counts_on_configurations(options)) {
      line.beamtime.total = plan.total;
    }
  }
}

std::vector<ComponentSpec> comparison_specs(const std::vector<Component>& components,
                                            const SeriesOptions& options) {
  std::vector<ComponentSpec> specs;
  for (size_t input = 0; input < options.components.size(); ++input) {
    const ComponentSpec& given = options.components[input];
    if (!is_structure(given)) {
      specs.push_back(given);
      continue;
    }
    for (const Component& c : components) {
      if (static_cast<size_t>(c.input) != input) {
        continue;
      }
      ComponentSpec spec = c.spec;
      spec.path = options.compare_path;
      spec.input = InputKind::kStructure;
      spec.chains.clear();
      size_t start = 0;
      for (size_t comma = c.record.find(','); comma != std::string::npos;
           comma = c.record.find(',', start)) {
        spec.chains.push_back(c.record.substr(start, comma - start));
        start = comma + 1;
      }
      spec.chains.push_back(c.record.substr(start));
      specs.push_back(spec);
    }
  }
  return specs;
}

void add_comparison(const std::vector<SeriesLine>& second, const SeriesOptions& options,
                    std::vector<SeriesLine>* lines) {
  const std::vector<double> grid = curve_grid(options).q;
  for (SeriesLine& line : *lines) {
    const SeriesLine* other = nullptr;
    for (const SeriesLine& candidate : second) {
      other = candidate.label == line.label ? &candidate : other;
    }
    if (other == nullptr || other->curves.intensity.empty() || line.simulation.guinier_only) {
      continue;
    }
    for (size_t i = 0; i < line.simulation.points.size(); ++i) {
      SimulatedContrast& contrast = line.simulation.points[i];
      double excess = 0.0, time = 0.0;
      size_t n = 0;
      for (const SimulatedSegment& s : contrast.segments) {
        std::vector<double> q, sigma;
        for (const SimulatedPoint& p : s.data) {
          q.push_back(p.q);
          sigma.push_back(p.resolution);
        }
        const std::vector<double> model =
            smear([&](double x) { return line_intensity(*other, grid, i, x); }, q, sigma);
        for (size_t k = 0; k < q.size(); ++k) {
          const double d = s.expected[k] - model[k];
          excess += d * d * s.time / s.variance[k];
          ++n;
        }
        time += s.time;
      }
      if (n == 0) {
        continue;
      }
      excess /= static_cast<double>(n);
      contrast.compared = true;
      contrast.chi2 = 1.0 + excess;
      contrast.time_to_two = excess > 0.0 ? time / excess : std::numeric_limits<double>::infinity();
    }
  }
}
