#include "scattering/simulation.h"

#include <cmath>

namespace {

double uniform(std::mt19937_64* random) {
  return static_cast<double>((*random)() >> 11) * (1.0 / 9007199254740992.0);
}

std::vector<double> ring_rates(const Counting& counting, const ConfigurationBins& bins) {
  std::vector<double> rates;
  for (size_t k = 0; k < bins.q.size(); ++k) {
    rates.push_back(ring_rate(counting.instrument, counting.path, bins.q[k], bins.width[k]));
  }
  return rates;
}

}  // namespace

double poisson(double mean, std::mt19937_64* random) {
  if (!(mean > 0.0)) {
    return 0.0;
  }
  if (mean < 30.0) {
    const double limit = std::exp(-mean);
    double k = 0.0, product = uniform(random);
    while (product > limit) {
      product *= uniform(random);
      k += 1.0;
    }
    return k;
  }
  const double root = std::sqrt(mean), log_mean = std::log(mean);
  const double b = 0.931 + 2.53 * root;
  const double a = -0.059 + 0.02483 * b;
  const double inverse_alpha = 1.1239 + 1.1328 / (b - 3.4);
  const double v_r = 0.9277 - 3.6224 / (b - 2.0);
  for (;;) {
    const double u = uniform(random) - 0.5, v = uniform(random);
    const double us = 0.5 - std::fabs(u);
    const double k = std::floor((2.0 * a / us + b) * u + mean + 0.43);
    if (us >= 0.07 && v <= v_r) {
      return k;
    }
    if (k < 0.0 || (us < 0.013 && v > us)) {
      continue;
    }
    if (std::log(v) + std::log(inverse_alpha) - std::log(a / (us * us) + b) <=
        -mean + k * log_mean - std::lgamma(k + 1.0)) {
      return k;
    }
  }
}

std::vector<double> variance_per_second(const Counting& counting, const ConfigurationBins& bins,
                                        const std::vector<double>& smeared) {
  const double t_sample = std::exp(-counting.sample.attenuation * counting.path);
  const double t_buffer = std::exp(-counting.buffer.attenuation * counting.path);
  const std::vector<double> rates = ring_rates(counting, bins);
  std::vector<double> variance;
  for (size_t k = 0; k < rates.size(); ++k) {
    variance.push_back(((smeared[k] + counting.sample.background) / t_sample +
                        counting.buffer.background / t_buffer) /
                       rates[k]);
  }
  return variance;
}

std::vector<SimulatedPoint> simulate_measurement(const Counting& counting,
                                                 const ConfigurationBins& bins,
                                                 const std::vector<double>& smeared,
                                                 std::mt19937_64* random) {
  const double t_sample = std::exp(-counting.sample.attenuation * counting.path);
  const double t_buffer = std::exp(-counting.buffer.attenuation * counting.path);
  const std::vector<double> rates = ring_rates(counting, bins);
  const std::vector<double> variance = variance_per_second(counting, bins, smeared);
  const double flat = counting.sample.background - counting.buffer.background;
  std::vector<SimulatedPoint> points;
  for (size_t k = 0; k < rates.size(); ++k) {
    SimulatedPoint p{bins.q[k], smeared[k], std::sqrt(variance[k] / counting.time), bins.sigma[k]};
    if (random != nullptr) {
      // Counts of the sample and of the buffer, each per 1/cm/sr after its transmission.
      const double per_sample = rates[k] * t_sample * counting.time;
      const double per_buffer = rates[k] * t_buffer * counting.time;
      const double n_sample =
          poisson(per_sample * (smeared[k] + counting.sample.background), random);
      const double n_buffer = poisson(per_buffer * counting.buffer.background, random);
      p.intensity = n_sample / per_sample - n_buffer / per_buffer - flat;
      // A bin that counted nothing still has the error of one count, as reductions give
      // it: an error of 0 would take an infinite weight in a fit.
      p.error = std::sqrt(std::fmax(n_sample, 1.0) / (per_sample * per_sample) +
                          std::fmax(n_buffer, 1.0) / (per_buffer * per_buffer));
    }
    points.push_back(p);
  }
  return points;
}
