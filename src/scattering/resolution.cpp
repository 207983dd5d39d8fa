#include "scattering/resolution.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr int SMEAR_STEPS = 40;  // each side of the centre: steps of sigma / 10

}  // namespace

double beam_radius(const Configuration& c) {
  const double r1 = c.source_aperture / 2.0, r2 = c.sample_aperture / 2.0;
  const double l1 = c.collimation, l2 = c.distance;
  return r1 * l2 / l1 + r2 * (l1 + l2) / l1;
}

double q_at_radius(const Configuration& c, double radius) {
  const double angle = std::atan(radius / (c.distance * 1000.0));
  return 4.0 * PI / c.wavelength * std::sin(angle / 2.0);
}

ConfigurationBins configuration_bins(const Configuration& c) {
  ConfigurationBins bins;
  const double first = beam_radius(c) + c.pixel;
  const double last = c.detector / 2.0;
  for (int j = 0; first + (j + 1) * c.pixel <= last; ++j) {
    const double inner = first + j * c.pixel;
    const double q = q_at_radius(c, inner + c.pixel / 2.0);
    bins.q.push_back(q);
    bins.width.push_back(q_at_radius(c, inner + c.pixel) - q_at_radius(c, inner));
    bins.sigma.push_back(q_resolution(c, q));
  }
  return bins;
}

double q_resolution(const Configuration& c, double q) {
  const double k = 2.0 * PI / c.wavelength;
  const double r1 = c.source_aperture / 2.0, r2 = c.sample_aperture / 2.0;
  const double l1 = c.collimation * 1000.0, l2 = c.distance * 1000.0;  // mm
  const double geometric = r1 * r1 / (4.0 * l1 * l1) +
                           r2 * r2 * (1.0 / l1 + 1.0 / l2) * (1.0 / l1 + 1.0 / l2) / 4.0 +
                           c.pixel * c.pixel / (12.0 * l2 * l2);
  return std::sqrt(k * k * geometric + q * q * c.spread * c.spread / 6.0);
}

std::vector<double> smear(const std::function<double(double)>& intensity,
                          const std::vector<double>& q, const std::vector<double>& sigma) {
  std::vector<double> smeared(q.size());
  for (size_t k = 0; k < q.size(); ++k) {
    double sum = 0.0, weights = 0.0;
    for (int j = -SMEAR_STEPS; j <= SMEAR_STEPS; ++j) {
      const double z = SMEAR_WIDTH * j / SMEAR_STEPS;
      const double w = std::exp(-0.5 * z * z);
      sum += w * intensity(std::fabs(q[k] + z * sigma[k]));
      weights += w;
    }
    smeared[k] = sum / weights;
  }
  return smeared;
}
