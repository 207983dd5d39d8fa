#include "scattering/beamtime.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

double transmission(const SolutionFigures& f, double mm) {
  return std::exp(-f.attenuation * mm / 10.0);
}

}  // namespace

// Pure H2O and D2O at 20 C through the cells whose transmissions the sources quote:
// NIST's at 2.4 A (two digits), May, Ibel and Haas' 7.0 1/cm at 5 meV, Glinka's 22
// barn per D2O molecule at 6 A; and the flat backgrounds at both ends and halfway.
TEST(Beamtime, WaterAgainstTheQuotedFigures) {
  const Solvent solvent = make_solvent(20.0, 1.0, {});
  struct Case {
    double wavelength, x, mm, expected, tolerance;
  };
  const Case cases[] = {
      {2.4, 0.0, 1.0, 0.64, 0.005},
      {2.4, 0.0, 2.0, 0.41, 0.005},
      {2.4, 1.0, 1.0, 0.95, 0.005},
      {2.4, 1.0, 2.0, 0.90, 0.005},
      {2.4, 1.0, 5.0, 0.76, 0.01},
      {2.4, 1.0, 10.0, 0.58, 0.01},
      {4.045, 0.0, 1.0, std::exp(-0.7), 1e-3},
      {6.0, 1.0, 1.0, 0.92949, 1e-4},
      {6.0, 1.0, 2.0, 0.86395, 1e-4},
  };
  for (const Case& c : cases) {
    const HydrogenFigures atoms = hydrogen_figures(solvent, c.wavelength, 1.0, 0.05);
    EXPECT_NEAR(c.expected, transmission(buffer_figures(solvent, atoms, c.x), c.mm), c.tolerance)
        << c.wavelength << " A, " << c.x * 100 << " % D2O, " << c.mm << " mm";
  }
  const HydrogenFigures atoms = hydrogen_figures(solvent, 6.0, 1.0, 0.05);
  EXPECT_NEAR(1.0, buffer_figures(solvent, atoms, 0.0).background, 1e-12);
  EXPECT_NEAR(0.05, buffer_figures(solvent, atoms, 1.0).background, 1e-12);
  EXPECT_NEAR(0.525, buffer_figures(solvent, atoms, 0.5).background, 1e-12);
  // 150 mM of a solute with 10 hydrogens, none labile, adds their background in D2O.
  const Solvent salty = make_solvent(20.0, 1.0, {{"X", "150mM", {0, 0, 0, 10, 0, 0}, 0.15, 0.0}});
  const HydrogenFigures same = hydrogen_figures(salty, 6.0, 1.0, 0.05);
  const double per_h = 1.0 / (2.0 * 0.998207 / 18.01528 * AVOGADRO);
  EXPECT_NEAR(0.05 + 0.15 * AVOGADRO / 1000.0 * 10.0 * per_h,
              buffer_figures(salty, same, 1.0).background, 1e-6);
}

// A case by hand: 1e6 n/cm^2/s on a 10 mm aperture, 5 A, efficiency 0.5, 1 mm, both
// liquids transmitting all, backgrounds 0.1, two bins at q = 0.01 and 0.03 of width
// 0.02 with I = 1 and 0.5. Each bin counts 12500 pi x 25 q 0.02 / (2 pi) per unit
// intensity: 31.25 and 93.75. Two bins fix the line: var ln I(0) = (u2^2 r1 +
// u1^2 r2) / (u2 - u1)^2 with r = (I + 0.2) / (counts I^2), 0.0490667 for a second;
// 2 % takes 122.667 s. No intensity, or intensity below 0.1 % of the buffer's, is no
// signal.
TEST(Beamtime, CountingTimeByHand) {
  const Instrument instrument{1e6, 10.0, 5.0, 0.5};
  const SolutionFigures liquid{0.0, 0.1};
  const CountingTime t =
      counting_time(instrument, 0.1, liquid, liquid, {{0.01, 0.03}, {1.0, 0.5}, 0.02, {}}, 0.02);
  ASSERT_TRUE(t.signal);
  EXPECT_NEAR(78.125, t.signal_rate, 1e-9);
  EXPECT_NEAR(122.6666667, t.time, 1e-6);
  EXPECT_FALSE(
      counting_time(instrument, 0.1, liquid, liquid, {{0.01, 0.03}, {0.0, 0.0}, 0.02, {}}, 0.02)
          .signal);
  EXPECT_FALSE(
      counting_time(instrument, 0.1, liquid, liquid, {{0.01, 0.03}, {9e-5, 9e-5}, 0.02, {}}, 0.02)
          .signal);
}
