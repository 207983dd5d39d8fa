#include "scattering/contrast_series.h"

#include <string>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

Composition composition_of(const std::string& one_letter) {
  std::FILE* file = stream_with(one_letter);
  const Composition comp = read_records(file, DataCode::kOneLetter).records[0].composition;
  std::fclose(file);
  return comp;
}

double match_percent(const Composition& comp, double deuteration, double exchange) {
  double x = 0.0;
  EXPECT_TRUE(match_point(contrast_model(comp, deuteration, exchange), &x));
  return x * 100.0;
}

}  // namespace

// With every labile hydrogen exchanging, a point is what the console calculator
// prints for that D2O percentage: its published figures, digit for digit.
TEST(SeriesPoint, TheConsoleFigures) {
  struct Case {
    const char* sequence;
    double deuteration, x;
    const char* printed;  // length, contrast, Mw, SLD, contrast SLD, solvent SLD
  };
  const Case cases[] = {
      {"G", 0, 0, "17.243999 20.953857 75.066680 0.259699 0.315570 -0.055871"},
      {"G", 0, 1, "27.653999 -14.566197 76.072680 0.416476 -0.219370 0.635846"},
      {"AGK", 1, 0, "205.607999 224.274617 290.414781 0.615409 0.671280 -0.055871"},
      {"AGK", .5, .4, "152.516999 78.742463 285.284181 0.456501 0.235685 0.220816"},
  };
  for (const Case& c : cases) {
    const SeriesPoint p = series_point(composition_of(c.sequence), c.deuteration, 1.0, c.x);
    char printed[200];
    std::snprintf(printed, sizeof printed, "%f %f %f %f %f %f", p.scattering_length, p.contrast,
                  p.mass, p.length_density, p.contrast_density,
                  static_cast<double>(p.solvent_density));
    EXPECT_STREQ(c.printed, printed) << c.sequence;
  }
}

// Hand computation for GLY: contrast (17.244 + 10.41 e x) - 66.4 (-0.055871 + 0.691539 x)
// vanishes at x = 20.9538 / (66.4 * 0.691539 - 10.41 e) for the exchange fraction e.
TEST(MatchPoint, HandComputed) {
  const Composition gly = composition_of("G");
  EXPECT_NEAR(58.99, match_percent(gly, 0.0, 1.0), 0.005);
  EXPECT_NEAR(51.45, match_percent(gly, 0.0, 0.5), 0.005);
  EXPECT_NEAR(45.62, match_percent(gly, 0.0, 0.0), 0.005);
  // Lysozyme, from its 129 residues summed by hand from the table: 46.16 %, and beyond
  // any solvent once fully deuterated.
  std::FILE* file = stream_with(read_file(std::string(QUORVANE_EXAMPLES_DIR) + "/lysozyme_3.DAT"));
  const Composition lysozyme = read_records(file, DataCode::kThreeLetter).records[0].composition;
  std::fclose(file);
  EXPECT_NEAR(46.16, match_percent(lysozyme, 0.0, 1.0), 0.005);
  EXPECT_NEAR(122.95, match_percent(lysozyme, 1.0, 1.0), 0.005);
}

// U is cysteine with selenium: Se 7.97 fm and 78.96 g/mol for S 2.847 fm and 32.065;
// B counts half ASP, half ASN.
TEST(SeriesPoint, SelenocysteineAndAmbiguityCodes) {
  const SeriesPoint c = series_point(composition_of("C"), 0, 1, 0);
  const SeriesPoint u = series_point(composition_of("U"), 0, 1, 0);
  EXPECT_NEAR(5.123, u.scattering_length - c.scattering_length, 1e-9);
  EXPECT_NEAR(46.895, u.mass - c.mass, 1e-9);
  EXPECT_EQ(c.volume, u.volume);
  const SeriesPoint d = series_point(composition_of("D"), 0, 1, .3);
  const SeriesPoint n = series_point(composition_of("N"), 0, 1, .3);
  const SeriesPoint b = series_point(composition_of("B"), 0, 1, .3);
  EXPECT_NEAR((d.contrast + n.contrast) / 2, b.contrast, 1e-9);
  EXPECT_NEAR((d.volume + n.volume) / 2, b.volume, 1e-9);
}
