#include "scattering/resolution.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

constexpr double PI = 3.14159265358979323846;

// 6 A, spread 0.1, a 40 mm source and a 10 mm sample aperture 5 m apart, the detector
// 5 m further, 600 mm of 6 mm pixels.
Configuration by_hand() {
  Configuration c;
  c.wavelength = 6.0;
  c.spread = 0.1;
  c.source_aperture = 40.0;
  c.sample_aperture = 10.0;
  c.collimation = 5.0;
  c.distance = 5.0;
  c.detector = 600.0;
  c.pixel = 6.0;
  return c;
}

double sphere(double q, double radius) {
  const double x = q * radius;
  if (x < 1e-6) {
    return 1.0;
  }
  const double f = 3.0 * (std::sin(x) - x * std::cos(x)) / (x * x * x);
  return f * f;
}

}  // namespace

// The geometric variance: 20^2 / (4 5000^2) + 5^2 (2/5000)^2 / 4 + 6^2 / (12 5000^2)
// = 4e-6 + 1e-6 + 1.2e-7 = 5.12e-6 rad^2; times k^2 = (pi/3)^2, sigma 2.36954e-3 1/A at
// q = 0; at q = 0.05 the wavelength adds 0.05^2 0.1^2 / 6, sigma 3.12752e-3. The beam's
// penumbra reaches 20 + 5 (10/5) = 30 mm; the first ring runs from 36 to 42 mm, its
// middle at q = (4 pi / 6) sin(atan(39/5000) / 2) = 8.16795e-3, its width
// 1.25655e-3; 44 rings fit within 300 mm, the last at 297 mm, q = 6.2121418e-2.
TEST(Resolution, ConfigurationByHand) {
  const Configuration c = by_hand();
  EXPECT_NEAR(30.0, beam_radius(c), 1e-12);
  EXPECT_NEAR(2.369538e-3, q_resolution(c, 0.0), 1e-9);
  EXPECT_NEAR(3.127519e-3, q_resolution(c, 0.05), 1e-9);
  const ConfigurationBins bins = configuration_bins(c);
  ASSERT_EQ(44u, bins.q.size());
  EXPECT_NEAR(8.167955e-3, bins.q.front(), 1e-9);
  EXPECT_NEAR(1.256551e-3, bins.width.front(), 1e-9);
  EXPECT_NEAR(6.2121418e-2, bins.q.back(), 1e-9);
  EXPECT_NEAR(q_resolution(c, bins.q[10]), bins.sigma[10], 1e-15);
}

// A Gaussian resolution turns exp(-a q^2) into exp(-a q^2 / s) / sqrt(s) with
// s = 1 + 2 a sigma^2, exactly (the curve is even, so I(|q'|) is the whole line).
TEST(Resolution, SmearsAGuinierCurveAsTheIntegralDoes) {
  const double a = 300.0, sigma = 0.005;  // Rg 30 A
  const std::vector<double> q = {0.0, 0.01, 0.03, 0.06};
  const std::vector<double> smeared =
      smear([&](double x) { return std::exp(-a * x * x); }, q, std::vector<double>(4, sigma));
  const double s = 1.0 + 2.0 * a * sigma * sigma;
  for (size_t k = 0; k < q.size(); ++k) {
    const double expected = std::exp(-a * q[k] * q[k] / s) / std::sqrt(s);
    EXPECT_NEAR(1.0, smeared[k] / expected, 2e-4) << q[k];
  }
}

// A sphere's first minimum (q R = 4.4934) is filled: the smearing against a Simpson
// sum over eight standard deviations, 4000 steps, and the minimum well above 0.
TEST(Resolution, FillsASpheresMinimum) {
  const double radius = 50.0, sigma = 0.004;
  const double minimum = 4.4934094579 / radius;
  const double smeared =
      smear([&](double x) { return sphere(x, radius); }, {minimum}, {sigma}).front();
  const int steps = 4000;
  const double h = 16.0 * sigma / steps;
  double sum = 0.0;
  for (int j = 0; j <= steps; ++j) {
    const double x = minimum - 8.0 * sigma + j * h;
    const double w = std::exp(-0.5 * (x - minimum) * (x - minimum) / (sigma * sigma));
    sum += (j == 0 || j == steps ? 1.0 : j % 2 == 1 ? 4.0 : 2.0) * w * sphere(std::fabs(x), radius);
  }
  const double simpson = sum * h / 3.0 / (sigma * std::sqrt(2.0 * PI));
  EXPECT_LT(sphere(minimum, radius), 1e-12);
  EXPECT_GT(smeared, 1e-4);
  EXPECT_NEAR(1.0, smeared / simpson, 1e-3);
}
