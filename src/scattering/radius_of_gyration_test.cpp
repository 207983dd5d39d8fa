#include "scattering/radius_of_gyration.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A point scatterer of `length` fm with no volume and no hydrogen: its contrast is its
// length in every solvent.
PlacedUnit point(double length, double x, double y, double z) {
  Unit unit{};
  unit.length = length;
  return {unit, 0.0, 1.0, x, y, z, {}};
}

}  // namespace

// Rg^2 of point scatterers by hand: two equal points 2d apart, d^2; four equal corners
// of a square of side a, a^2 / 2; two points c1, c2 a distance L apart,
// c1 c2 L^2 / (c1 + c2)^2, which is negative when their contrasts have opposite signs.
TEST(RadiusOfGyration, PointScatterers) {
  struct Case {
    std::vector<PlacedUnit> units;
    double rg2;
    double cx;  // the contrast-weighted centre's x
  };
  const Case cases[] = {
      {{point(5, -3, 0, 0), point(5, 3, 0, 0)}, 9.0, 0.0},
      {{point(2, 0, 0, 0), point(2, 4, 0, 0), point(2, 0, 4, 0), point(2, 4, 4, 0)}, 8.0, 2.0},
      {{point(1, 0, 0, 0), point(3, 0, 0, 8)}, 3.0 * 64 / 16, 0.0},
      {{point(-1, 0, 0, 0), point(3, 10, 0, 0)}, -3.0 * 100 / 4, 15.0},
  };
  for (const Case& c : cases) {
    const Gyration g = radius_of_gyration(c.units, console_solvent(), 0.5);
    ASSERT_TRUE(g.defined);
    EXPECT_NEAR(c.rg2, g.rg2, 1e-12);
    EXPECT_NEAR(c.cx, g.x, 1e-12);
  }
  // Contrasts that cancel leave the centre, and so Rg, undefined.
  EXPECT_FALSE(
      radius_of_gyration({point(2, 0, 0, 0), point(-2, 5, 0, 0)}, console_solvent(), 0.5).defined);
}

// Points on a known parabola give back its parameters exactly, with the signs of the
// convention Rg^2 = Rm^2 + alpha/drho - beta/drho^2, and a zero residual.
TEST(FitStuhrmann, RecoversAKnownParabola) {
  const double rm2 = 225.0, alpha = -40.0, beta = 3.5;
  std::vector<double> inverse, rg2;
  for (double u : {-12.0, -7.5, -3.0, 2.0, 4.0, 9.0}) {
    inverse.push_back(u);
    rg2.push_back(rm2 + alpha * u - beta * u * u);
  }
  const StuhrmannFit fit = fit_stuhrmann(inverse, rg2);
  ASSERT_TRUE(fit.fitted);
  EXPECT_NEAR(rm2, fit.rm2, 1e-9);
  EXPECT_NEAR(alpha, fit.alpha, 1e-9);
  EXPECT_NEAR(beta, fit.beta, 1e-9);
  EXPECT_NEAR(0.0, fit.residual, 1e-9);
  EXPECT_EQ(6, fit.points);
  // Three points fix no least-squares parabola worth reporting.
  inverse.resize(3);
  rg2.resize(3);
  EXPECT_FALSE(fit_stuhrmann(inverse, rg2).fitted);
}

// The fit's points: defined, positive Rg^2, and at least 10 % D2O from the match point.
TEST(StuhrmannUses, OneRuleForThePoints) {
  const Gyration good{true, 100.0, 0, 0, 0};
  const Gyration negative{true, -4.0, 0, 0, 0};
  const Gyration undefined{false, 0.0, 0, 0, 0};
  EXPECT_TRUE(stuhrmann_uses(good, 20.0, true, 42.0));
  EXPECT_TRUE(stuhrmann_uses(good, 52.0, true, 42.0));
  EXPECT_FALSE(stuhrmann_uses(good, 51.9, true, 42.0));
  EXPECT_FALSE(stuhrmann_uses(good, 33.0, true, 42.0));
  EXPECT_TRUE(stuhrmann_uses(good, 42.0, false, 42.0));
  EXPECT_FALSE(stuhrmann_uses(negative, 0.0, true, 42.0));
  EXPECT_FALSE(stuhrmann_uses(undefined, 0.0, true, 42.0));
}
