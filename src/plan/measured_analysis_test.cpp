#include "plan/measured_analysis.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

// I(0) exp(-q^2 Rg^2 / 3) at q = 0.005 k, errors 1 % of I.
MeasuredCurve guinier_curve(double rg, double i0, size_t points) {
  MeasuredCurve c;
  for (size_t k = 1; k <= points; ++k) {
    const double q = 0.005 * static_cast<double>(k);
    c.q.push_back(q);
    c.intensity.push_back(i0 * std::exp(-q * q * rg * rg / 3.0));
    c.error.push_back(0.01 * c.intensity.back());
    c.resolution.push_back(0.0);
  }
  return c;
}

}  // namespace

// An exact Guinier curve gives its Rg and I(0), over the points to q Rg = 1.3 (0.052 for
// 25 A: ten points); an upturn of the first two points is dropped, and a rising curve
// has no fit.
TEST(FitMeasuredGuinier, KnownCurves) {
  const MeasuredGuinier exact = fit_measured_guinier(guinier_curve(25.0, 0.5, 60));
  ASSERT_TRUE(exact.fitted);
  EXPECT_NEAR(25.0, exact.rg, 1e-9);
  EXPECT_NEAR(0.5, exact.i0, 1e-12);
  EXPECT_EQ(0u, exact.first);
  EXPECT_EQ(9u, exact.last);
  EXPECT_NEAR(0.0, exact.chi2, 1e-12);
  // The errors of a straight weighted line: Rg's small beside 1 % points, I(0)'s near 1 %
  // over ten points.
  EXPECT_GT(exact.rg_error, 0.0);
  EXPECT_LT(exact.rg_error, 0.5);
  EXPECT_NEAR(0.005, exact.i0_error / exact.i0, 0.004);
  MeasuredCurve upturn = guinier_curve(25.0, 0.5, 60);
  upturn.intensity[0] *= 1.5;
  upturn.intensity[1] *= 1.2;
  const MeasuredGuinier dropped = fit_measured_guinier(upturn);
  ASSERT_TRUE(dropped.fitted);
  EXPECT_EQ(2u, dropped.first);
  EXPECT_NEAR(25.0, dropped.rg, 1e-6);
  MeasuredCurve rising = guinier_curve(25.0, 0.5, 60);
  for (double& i : rising.intensity) {
    i = 1.0 / i;
  }
  EXPECT_FALSE(fit_measured_guinier(rising).fitted);
}

// sqrt(I(0)/c) = k (x - 0.45) with its sign: the series crosses at 45 % D2O, whatever the
// concentrations, and one point makes no series.
TEST(MeasuredMatch, CrossesWhereBuilt) {
  std::vector<SeriesMeasurement> series;
  for (double x : {0.0, 0.1, 0.2, 0.4, 0.8, 0.9, 1.0}) {
    const double conc = x == 0.4 ? 26.9 : 11.9;
    const double root = 0.5 * (x - 0.45);
    MeasuredGuinier g;
    g.fitted = true;
    g.i0 = root * root * conc;
    g.i0_error = 0.01 * g.i0 + 1e-6;
    series.push_back({x, conc, g});
  }
  const MeasuredMatch match = measured_match(series);
  ASSERT_TRUE(match.found);
  EXPECT_NEAR(45.0, match.percent, 1e-6);
  EXPECT_EQ(40.0, match.sign_change);
  EXPECT_EQ(7u, match.points);
  EXPECT_GT(match.error, 0.0);
  EXPECT_FALSE(measured_match({series.front()}).found);
}

// Radii on Stuhrmann's parabola Rm 25 A, alpha 50 fm/A, beta 100 fm^2/A^4 at seven
// contrasts of both signs give those figures back; three points fix none.
TEST(MeasuredStuhrmann, RecoversItsParabola) {
  std::vector<double> contrast;
  std::vector<MeasuredGuinier> fits;
  for (double drho : {2.4, 1.8, 1.2, -0.6, -1.4, -2.0, -2.6}) {
    const double u = 1.0 / drho;
    MeasuredGuinier g;
    g.fitted = true;
    g.rg = std::sqrt(25.0 * 25.0 + 50.0 * u - 100.0 * u * u);
    g.rg_error = 0.1;
    contrast.push_back(drho);
    fits.push_back(g);
  }
  const MeasuredStuhrmann s = measured_stuhrmann(contrast, fits);
  ASSERT_TRUE(s.fitted);
  EXPECT_NEAR(25.0, s.rm, 1e-9);
  EXPECT_NEAR(50.0, s.alpha, 1e-8);
  EXPECT_NEAR(100.0, s.beta, 1e-8);
  EXPECT_EQ(7u, s.points);
  EXPECT_GT(s.rm_error, 0.0);
  EXPECT_FALSE(
      measured_stuhrmann({contrast.begin(), contrast.begin() + 3}, {fits.begin(), fits.begin() + 3})
          .fitted);
}

// Four contrasts of two components built from known basis curves give them back at each
// q, wherever the curves' grids overlap; two contrasts fix none.
TEST(BasisCurves, RecoversTheBuiltCurves) {
  const double d1[] = {2.4, 1.1, -0.5, -2.9}, d2[] = {6.1, 4.0, 1.2, -0.4}, conc[] = {2, 2, 5, 2};
  std::vector<MeasuredCurve> curves(4);
  for (size_t j = 0; j < 4; ++j) {
    for (int k = 0; k < 40; ++k) {
      const double q = 0.01 * (k + 1) + (j == 3 ? 0.005 : 0.0);  // the last grid shifted
      const double i11 = 1.0 / (1.0 + 100.0 * q * q), i12 = 0.3 * std::exp(-50.0 * q * q);
      const double i = conc[j] * (d1[j] * d1[j] * i11 + d1[j] * d2[j] * i12 + d2[j] * d2[j] * 0.05);
      curves[j].q.push_back(q);
      curves[j].intensity.push_back(i);
      curves[j].error.push_back(0.01 * std::fabs(i) + 1e-6);
    }
  }
  const std::vector<const MeasuredCurve*> all = {&curves[0], &curves[1], &curves[2], &curves[3]};
  const std::vector<const MeasuredCurve*> three = {&curves[0], &curves[1], &curves[2]};
  const BasisCurves exact = basis_curves(three, {2, 2, 5}, {2.4, 1.1, -0.5}, {6.1, 4.0, 1.2});
  ASSERT_TRUE(exact.solved);
  ASSERT_EQ(40u, exact.q.size());
  for (size_t k = 0; k < exact.q.size(); ++k) {
    const double q = exact.q[k];
    EXPECT_NEAR(1.0 / (1.0 + 100.0 * q * q), exact.i11[k], 1e-9) << q;
    EXPECT_NEAR(0.3 * std::exp(-50.0 * q * q), exact.i12[k], 1e-9) << q;
    EXPECT_NEAR(0.05, exact.i22[k], 1e-9) << q;
  }
  // With the shifted curve, only the q all four cover: from the first's 0.02 to 0.40.
  const BasisCurves shifted =
      basis_curves(all, {2, 2, 5, 2}, {2.4, 1.1, -0.5, -2.9}, {6.1, 4.0, 1.2, -0.4});
  ASSERT_TRUE(shifted.solved);
  EXPECT_NEAR(0.02, shifted.q.front(), 1e-12);
  EXPECT_EQ(39u, shifted.q.size());
  EXPECT_GT(shifted.e11.front(), 0.0);
  EXPECT_FALSE(basis_curves({&curves[0], &curves[1]}, {2, 2}, {2.4, 1.1}, {6.1, 4.0}).solved);
}
