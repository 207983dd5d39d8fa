#include "scattering/contrast_series.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scattering/scattering_totals.h"
#include "test_util.h"

namespace {

ResidueCounts counts_of(const std::vector<int32_t>& residues) {
  auto seq = std::make_unique<Sequence>();
  seq->count = static_cast<int32_t>(residues.size());
  for (size_t i = 0; i < residues.size(); ++i) {
    seq->slots[i + 1] = residues[i];
  }
  ResidueCounts counts{};
  count_residues(*seq, &counts);
  return counts;
}

std::unique_ptr<Sequence> example(const char* name, int code) {
  std::FILE* file = stream_with(read_file(std::string(QUORVANE_EXAMPLES_DIR) + "/" + name));
  auto seq = std::make_unique<Sequence>();
  ReadProblem problem{};
  read_sequence(file, code, nullptr, seq.get(), &problem);
  std::fclose(file);
  return seq;
}

// The figures the console prints, one per line, as the console prints them.
std::string printed(double length, double contrast, double mass, double sld, double contrast_sld,
                    float solvent) {
  return format("%f\n%f\n%f\n%f\n%f\n%f\n", length, contrast, mass, sld, contrast_sld,
                static_cast<double>(solvent));
}

std::string printed(const SeriesPoint& p) {
  return printed(p.scattering_length, p.contrast, p.mass, p.length_density, p.contrast_density,
                 p.solvent_density);
}

double match_percent(const std::vector<int32_t>& residues, double deuteration, double exchange) {
  double x = 0.0;
  EXPECT_TRUE(match_point(contrast_model(counts_of(residues), deuteration, exchange), &x));
  return x * 100.0;
}

const std::vector<int32_t> GLY = {0};
const std::vector<int32_t> AGK = {1, 0, 14};

}  // namespace

// With every labile hydrogen exchanging, a point of the series is what the console
// prints for that D2O percentage: the published figures first.
TEST(SeriesPoint, PublishedFigures) {
  struct Case {
    std::vector<int32_t> residues;
    double x;
    double deuteration;
    const char* expected;
  };
  const Case cases[] = {
      {GLY, 0.0, 0.0, "17.243999\n20.953857\n75.066680\n0.259699\n0.315570\n-0.055871\n"},
      {GLY, 1.0, 0.0, "27.653999\n-14.566197\n76.072680\n0.416476\n-0.219370\n0.635846\n"},
      {AGK, 0.0, 1.0, "205.607999\n224.274617\n290.414781\n0.615409\n0.671280\n-0.055871\n"},
      {AGK, 0.4, 0.5, "152.516999\n78.742463\n285.284181\n0.456501\n0.235685\n0.220816\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, printed(series_point(counts_of(c.residues), c.deuteration, 1.0, c.x)))
        << c.x;
  }
}

// ... and for real proteins, against the console calculation itself, at every point
// of the default series, deuterated or not.
TEST(SeriesPoint, AgreesWithTheConsoleCalculation) {
  const struct {
    const char* file;
    int code;
  } proteins[] = {{"lysozyme_3.DAT", THREE_LETTER_CODE}, {"ubiquitin_1.DAT", ONE_LETTER_CODE}};
  for (const auto& protein : proteins) {
    const auto seq = example(protein.file, protein.code);
    ResidueCounts counts{};
    count_residues(*seq, &counts);
    for (const char* ratio : {"", "70", "100"}) {
      for (int percent = 0; percent <= 100; percent += 10) {
        SampleSettings settings{};
        std::snprintf(settings.d2o_text, sizeof settings.d2o_text, "%d", percent);
        std::snprintf(settings.deuteration_text, sizeof settings.deuteration_text, "%s", ratio);
        settings.deuterated_answer[0] = ratio[0] == '\0' ? 'N' : 'Y';
        settings.deuteration_fraction = text_to_number(ratio) / 100.0;
        const double x = percent / 100.0;
        settings.h2o_fraction = 1.0 - x;
        settings.solvent_density = compute_solvent_density(x);
        ScatteringTotals totals = compute_totals(*seq, settings, nullptr);
        totals.length_density = totals.scattering_length / totals.volume;
        totals.contrast_density = totals.contrast / totals.volume;
        EXPECT_EQ(printed(totals.scattering_length, totals.contrast, totals.mass,
                          totals.length_density, totals.contrast_density, settings.solvent_density),
                  printed(series_point(counts, settings.deuteration_fraction, 1.0, x)))
            << protein.file << " " << percent << "% D2O, ratio " << ratio;
      }
    }
  }
}

// Computed by hand from the table: x = (a + v s H) / (v s (D + H) - b), with a the
// scattering length in H2O, b its rise per unit D2O fraction, v the volume, s the
// density scale and D, H the solvent terms. GLY: a = 27.654 - 10.41 = 17.244, b =
// 10.41, v = 66.4; x = 20.953858 / 35.520213 = 58.99 %.
TEST(MatchPoint, HandComputed) {
  EXPECT_EQ("58.99", format("%.2f", match_percent(GLY, 0.0, 1.0)));
  EXPECT_EQ("40.40", format("%.2f", match_percent(AGK, 0.0, 1.0)));
  // Fully deuterated, it matches no solvent: the point lies beyond 100 %.
  EXPECT_EQ("132.99", format("%.2f", match_percent(AGK, 1.0, 1.0)));
  const auto lysozyme = example("lysozyme_3.DAT", THREE_LETTER_CODE);
  ResidueCounts counts{};
  count_residues(*lysozyme, &counts);
  double full = 0.0;
  double partial = 0.0;
  ASSERT_TRUE(match_point(contrast_model(counts, 0.0, 1.0), &full));
  ASSERT_TRUE(match_point(contrast_model(counts, 0.0, 0.9), &partial));
  EXPECT_EQ("46.16", format("%.2f", full * 100.0));
  // Fewer labile deuterons raise the protein's density less: the match point moves
  // down, by 1.34 % D2O for lysozyme at 90 % exchange.
  EXPECT_EQ("44.82", format("%.2f", partial * 100.0));
  EXPECT_EQ("1.34", format("%.2f", (full - partial) * 100.0));
}

// The match point is where the series' contrast changes sign.
TEST(MatchPoint, ContrastVanishesThere) {
  const ResidueCounts counts = counts_of(AGK);
  double x = 0.0;
  ASSERT_TRUE(match_point(contrast_model(counts, 0.3, 0.8), &x));
  EXPECT_NEAR(0.0, series_point(counts, 0.3, 0.8, x).contrast, 0.05);
  EXPECT_GT(series_point(counts, 0.3, 0.8, x - 0.01).contrast, 0.0);
  EXPECT_LT(series_point(counts, 0.3, 0.8, x + 0.01).contrast, 0.0);
}

TEST(AddCopies, ComplexOfCopies) {
  // Two copies of GLY have GLY's densities and match point, twice its totals.
  const SeriesPoint one = series_point(counts_of(GLY), 0.0, 1.0, 0.4);
  SeriesPoint two{};
  add_copies(one, 2, &two);
  EXPECT_EQ(2.0 * one.scattering_length, two.scattering_length);
  EXPECT_EQ(2.0 * one.mass, two.mass);
  EXPECT_DOUBLE_EQ(one.contrast_density, two.contrast_density);
  ContrastModel pair{};
  add_model(contrast_model(counts_of(GLY), 0.0, 1.0), 2, &pair);
  double x = 0.0;
  ASSERT_TRUE(match_point(pair, &x));
  EXPECT_EQ("58.99", format("%.2f", x * 100.0));
  // One GLY with two ALA-GLY-LYS is the sequence GLY ALA GLY LYS ALA GLY LYS.
  ContrastModel complex{};
  add_model(contrast_model(counts_of(GLY), 0.0, 1.0), 1, &complex);
  add_model(contrast_model(counts_of(AGK), 0.0, 1.0), 2, &complex);
  ASSERT_TRUE(match_point(complex, &x));
  EXPECT_EQ(format("%.6f", match_percent({0, 1, 0, 14, 1, 0, 14}, 0.0, 1.0)),
            format("%.6f", x * 100.0));
}

TEST(MatchPoint, NoneWithoutVolume) {
  double x = 0.0;
  EXPECT_FALSE(match_point(contrast_model(counts_of({20, 20}), 0.0, 1.0), &x));
}
