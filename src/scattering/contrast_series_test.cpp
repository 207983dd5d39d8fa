#include "scattering/contrast_series.h"

#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "residues/composition.h"
#include "scattering/scattering_model.h"
#include "test_util.h"

namespace {

const Solvent CONSOLE = console_solvent();

// A chain of `kind` as the planner sums it: every unit at deuteration `d`, every labile
// hydrogen exchanging, one water for the chain ends.
Makeup makeup_of(const std::string& text, DataCode code, double d,
                 ChainKind kind = ChainKind::kProtein, UnitSet set = UnitSet::kConsole) {
  std::FILE* file = stream_with(text);
  const Composition comp = read_records(file, code, kind).records[0].composition;
  std::fclose(file);
  Makeup makeup;
  for (int i = 0; i < unit_count(kind); ++i) {
    makeup.parts.push_back({chain_unit(kind, i, set), comp.rows[i], d});
  }
  makeup.water = WATER_MASS;
  return makeup;
}

Makeup protein(const std::string& one_letter, double d = 0.0) {
  return makeup_of(one_letter, DataCode::kOneLetter, d);
}

double match_percent(Makeup makeup, double exchange, const Solvent& solvent = CONSOLE) {
  makeup.exchange = exchange;
  double x = 0.0;
  EXPECT_TRUE(match_point(contrast_model(makeup, solvent), solvent, &x));
  return x * 100.0;
}

}  // namespace

// In the console's solvent, with every labile hydrogen exchanging, a point is what the
// console calculator prints for that D2O percentage: its published figures, digit for
// digit.
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
    const SeriesPoint p = series_point(protein(c.sequence, c.deuteration), CONSOLE, c.x);
    char printed[200];
    std::snprintf(printed, sizeof printed, "%f %f %f %f %f %f", p.scattering_length, p.contrast,
                  p.mass, p.length_density, p.contrast_density, p.solvent_sld);
    EXPECT_STREQ(c.printed, printed) << c.sequence;
  }
}

// Hand computation for GLY in the console's solvent: contrast (17.244 + 10.41 e x) -
// 66.4 (-0.055871 + 0.691539 x) vanishes at x = 20.9538 / (66.4 * 0.691539 - 10.41 e)
// for the exchange fraction e; lysozyme's own published figures give 46.16 %.
TEST(MatchPoint, HandComputedInTheConsoleSolvent) {
  EXPECT_NEAR(58.99, match_percent(protein("G"), 1.0), 0.005);
  EXPECT_NEAR(51.45, match_percent(protein("G"), 0.5), 0.005);
  EXPECT_NEAR(45.62, match_percent(protein("G"), 0.0), 0.005);
  const std::string lysozyme = read_file(std::string(QUORVANE_EXAMPLES_DIR) + "/lysozyme_3.DAT");
  EXPECT_NEAR(46.16, match_percent(makeup_of(lysozyme, DataCode::kThreeLetter, 0), 1), 0.005);
  EXPECT_NEAR(122.95, match_percent(makeup_of(lysozyme, DataCode::kThreeLetter, 1), 1), 0.005);
}

// Nucleic acids from their formulas and Perkins' volumes, in water at 20 C from the
// element table (SLD -0.0559513 + 0.6925312 x fm/A^3): a 20-mer of equal shares matches
// at 65.251 % (DNA) and 71.943 % (RNA) by hand.
TEST(MatchPoint, NucleicAcidsHandComputed) {
  const Solvent water = make_solvent(20.0, 1.0, {});
  const std::string twenty = "ACGTACGTACGTACGTACGT";
  EXPECT_NEAR(65.2511,
              match_percent(makeup_of(twenty, DataCode::kOneLetter, 0, ChainKind::kDna), 1, water),
              1e-3);
  std::string rna = twenty;
  std::replace(rna.begin(), rna.end(), 'T', 'U');
  EXPECT_NEAR(71.9429,
              match_percent(makeup_of(rna, DataCode::kOneLetter, 0, ChainKind::kRna), 1, water),
              1e-3);
}

// GLY at 100 % D2O: 27.654 + 20.82 d - 66.4 x 0.635846 = 0 for d = 0.6996.
TEST(DeuterationForMatch, HandComputed) {
  double d = 0.0;
  ASSERT_TRUE(deuteration_for_match(protein("G"), CONSOLE, 1.0, &d));
  EXPECT_NEAR(0.6996, d, 0.0001);
  ASSERT_TRUE(deuteration_for_match(protein("G"), CONSOLE, 0.0, &d));
  EXPECT_LT(d, 0.0);  // in H2O it would take less than no deuterium
  EXPECT_FALSE(deuteration_for_match(Makeup{}, CONSOLE, 0.5, &d));
}

// B counts half ASP, half ASN.
TEST(SeriesPoint, AmbiguityCodes) {
  const SeriesPoint d = series_point(protein("D"), CONSOLE, .3);
  const SeriesPoint n = series_point(protein("N"), CONSOLE, .3);
  const SeriesPoint b = series_point(protein("B"), CONSOLE, .3);
  EXPECT_NEAR((d.contrast + n.contrast) / 2, b.contrast, 1e-9);
  EXPECT_NEAR((d.volume + n.volume) / 2, b.volume, 1e-9);
}

// Lysozyme in H2O, from its published console figures: I(0) at 1 mg/mL is
// 1e-3 g/cm^3 x 6.02214076e23 x (4355.307918e-13 cm)^2 / 14322.064324 g/mol.
TEST(ForwardScattering, HandComputed) {
  EXPECT_NEAR(0.0079760, forward_scattering(1.0, 4355.307918, 14322.064324), 1e-7);
  // Water's electrons: 10 r_e over 29.97 (H2O) and 30.08 cubic angstrom (D2O).
  EXPECT_NEAR(0.94028, xray_solvent_density(0.0), 1e-5);
  EXPECT_NEAR(0.93681, xray_solvent_density(1.0), 1e-5);
}
