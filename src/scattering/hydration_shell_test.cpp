#include "scattering/hydration_shell.h"

#include <cmath>

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
