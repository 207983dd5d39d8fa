#include "scattering/simulation.h"

#include <cmath>

#include <gtest/gtest.h>

// Mean and variance of many draws against the mean itself, on both sides of the
// switch between the two methods and far into the large counts.
TEST(Simulation, PoissonDrawsHaveTheirMeanAndVariance) {
  std::mt19937_64 random(7);
  for (const double mean : {0.5, 5.0, 29.9, 30.0, 1000.0, 1e7}) {
    const int n = 20000;
    double sum = 0.0, squares = 0.0;
    for (int k = 0; k < n; ++k) {
      const double x = poisson(mean, &random);
      ASSERT_EQ(x, std::floor(x));
      sum += x;
      squares += x * x;
    }
    const double m = sum / n, variance = squares / n - m * m;
    EXPECT_NEAR(mean, m, 5.0 * std::sqrt(mean / n)) << mean;
    EXPECT_NEAR(1.0, variance / mean, 0.05) << mean;
  }
  EXPECT_EQ(0.0, poisson(0.0, &random));
}

namespace {

// I(0) of a Guinier fit of the points, I0 exp(-b q^2) by least squares weighted by
// their errors (Gauss-Newton from the expected slope).
double guinier_forward(const std::vector<SimulatedPoint>& points, double start_b) {
  double b = start_b, numerator = 0.0, denominator = 0.0;
  for (const SimulatedPoint& p : points) {  // the best I0 for the starting slope
    const double e = std::exp(-b * p.q * p.q), w = 1.0 / (p.error * p.error);
    numerator += w * p.intensity * e;
    denominator += w * e * e;
  }
  double i0 = numerator / denominator;
  for (int iteration = 0; iteration < 20; ++iteration) {
    double a11 = 0.0, a12 = 0.0, a22 = 0.0, r1 = 0.0, r2 = 0.0;
    for (const SimulatedPoint& p : points) {
      const double u = p.q * p.q, e = std::exp(-b * u), model = i0 * e;
      const double w = 1.0 / (p.error * p.error), d1 = e, d2 = -u * model;
      const double residual = p.intensity - model;
      a11 += w * d1 * d1;
      a12 += w * d1 * d2;
      a22 += w * d2 * d2;
      r1 += w * d1 * residual;
      r2 += w * d2 * residual;
    }
    const double determinant = a11 * a22 - a12 * a12;
    i0 += (a22 * r1 - a12 * r2) / determinant;
    b += (a11 * r2 - a12 * r1) / determinant;
  }
  return i0;
}

}  // namespace

// 200 noisy measurements of one contrast at the time planned for 5 % on I(0), each
// Guinier-fitted by weighted least squares as a user would: the spread of I(0) is the
// target within 15 %, the mean the model's within 2 %.
TEST(Simulation, NoisyMeasurementsMeetThePlannedTarget) {
  Configuration c;  // 8 m and 8 m, 6 A
  const double rg = 20.0, forward = 0.02, target = 0.05;
  ConfigurationBins all = configuration_bins(c), bins;
  for (size_t k = 0; k < all.q.size() && all.q[k] * rg <= 1.3; ++k) {
    bins.q.push_back(all.q[k]);
    bins.width.push_back(all.width[k]);
    bins.sigma.push_back(all.sigma[k]);
  }
  ASSERT_GT(bins.q.size(), 10u);
  const std::vector<double> smeared = smear(
      [&](double q) { return forward * std::exp(-q * q * rg * rg / 3.0); }, bins.q, bins.sigma);
  Counting counting{{3e5, 12.7, 6.0, 0.75}, 0.1, {3.0, 0.6}, {3.0, 0.6}, 0.0};
  const CountingTime planned =
      counting_time(counting.instrument, counting.path, counting.sample, counting.buffer,
                    {bins.q, smeared, 0.0, bins.width}, target);
  ASSERT_TRUE(planned.signal);
  counting.time = planned.time;
  std::mt19937_64 random(1);
  const int runs = 200;
  double sum = 0.0, squares = 0.0;
  for (int run = 0; run < runs; ++run) {
    const double fitted =
        guinier_forward(simulate_measurement(counting, bins, smeared, &random), rg * rg / 3.0);
    sum += fitted;
    squares += fitted * fitted;
  }
  const double mean = sum / runs, spread = std::sqrt(squares / runs - mean * mean);
  EXPECT_NEAR(1.0, mean / forward, 0.02);
  EXPECT_NEAR(1.0, spread / mean / target, 0.15);
}

// Without a generator, the expected values: the smeared curve itself, and errors that
// fall as one over the root of the time.
TEST(Simulation, ExpectedValuesAreTheCurve) {
  Configuration c;
  const ConfigurationBins bins = configuration_bins(c);
  const std::vector<double> curve(bins.q.size(), 0.01);
  Counting counting{{3e5, 12.7, 6.0, 0.75}, 0.2, {0.8, 0.1}, {0.7, 0.05}, 100.0};
  const std::vector<SimulatedPoint> short_run =
      simulate_measurement(counting, bins, curve, nullptr);
  counting.time = 400.0;
  const std::vector<SimulatedPoint> long_run = simulate_measurement(counting, bins, curve, nullptr);
  ASSERT_EQ(bins.q.size(), long_run.size());
  for (size_t k = 0; k < long_run.size(); k += 10) {
    EXPECT_EQ(0.01, long_run[k].intensity);
    EXPECT_NEAR(0.5, long_run[k].error / short_run[k].error, 1e-12);
    EXPECT_EQ(bins.sigma[k], long_run[k].resolution);
  }
  // Counted far too briefly, most rings count nothing; each keeps the error of one count
  // of the sample and one of the buffer, never 0.
  counting.time = 1e-6;
  std::mt19937_64 random(3);
  for (const SimulatedPoint& p : simulate_measurement(counting, bins, curve, &random)) {
    EXPECT_GT(p.error, 0.0);
    EXPECT_TRUE(std::isfinite(p.error));
  }
}
