#include "scattering/hydration_shell.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

// One unit of radius 1.6 A at the origin: the grid's margin is 1.6 + 1.4 + 3 + 6 = 12 A
// each way, eight 3 A cells a side with centres at +-1.5, +-4.5, +-7.5 and +-10.5 A.
// The layer holds the cells whose centre lies from 1.6 + 1.4 = 3 A (the envelope) to
// 6 A out: by hand only those at (+-4.5, +-1.5, +-1.5) and their turns (d^2 = 24.75;
// the next, 42.75, is too far, the corners at 6.75 inside), 24 cells of 27 A^3. The
// layer is centred on the unit.
TEST(HydrationShell, AroundOneUnitByHand) {
  double volume = 0.0, x = 0.0, y = 0.0, z = 0.0;
  for (const ShellPiece& piece : hydration_shell({{0.0, 0.0, 0.0, 1.6}})) {
    volume += piece.volume;
    x += piece.x * piece.volume;
    y += piece.y * piece.volume;
    z += piece.z * piece.volume;
  }
  EXPECT_DOUBLE_EQ(24 * 27.0, volume);
  EXPECT_NEAR(0.0, std::hypot(x, y, z), 1e-9);
}

// Water does not reach a cavity, so a cavity holds no layer: 26 units of radius 3 A on
// the outside of a 3 x 3 x 3 lattice of 6 A (envelopes of 4.4 A, which overlap across
// every face diagonal, 8.5 A) have the layer of the same 27 units with the centre
// filled.
TEST(HydrationShell, CavitiesHoldNoLayer) {
  std::vector<Sphere> hollow, solid;
  for (int i = -1; i <= 1; ++i) {
    for (int j = -1; j <= 1; ++j) {
      for (int k = -1; k <= 1; ++k) {
        solid.push_back({6.0 * i, 6.0 * j, 6.0 * k, 3.0});
        if (i != 0 || j != 0 || k != 0) {
          hollow.push_back(solid.back());
        }
      }
    }
  }
  const auto volume = [](const std::vector<Sphere>& units) {
    double sum = 0.0;
    for (const ShellPiece& piece : hydration_shell(units)) {
      sum += piece.volume;
    }
    return sum;
  };
  EXPECT_GT(volume(solid), 0.0);
  EXPECT_EQ(volume(solid), volume(hollow));
}
