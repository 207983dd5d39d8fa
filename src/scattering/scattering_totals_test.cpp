#include "scattering/scattering_totals.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "expected_texts.h"
#include "test_util.h"

namespace {

SampleSettings settings_for(const char* d2o, const char* deuteration) {
  SampleSettings settings{};
  std::snprintf(settings.d2o_text, sizeof settings.d2o_text, "%s", d2o);
  const double x = text_to_number(d2o) / 100.0;
  settings.h2o_fraction = 1.0 - x;
  settings.solvent_density = compute_solvent_density(x);
  settings.deuterated_answer[0] = deuteration == nullptr ? 'N' : 'Y';
  if (deuteration != nullptr) {
    std::snprintf(settings.deuteration_text, sizeof settings.deuteration_text, "%s", deuteration);
    settings.deuteration_fraction = text_to_number(deuteration) / 100.0;
  }
  return settings;
}

// The per-residue lines and the summary of one calculation, as the console shows them.
std::string calculate(const std::vector<int32_t>& residues, const SampleSettings& settings,
                      ScatteringTotals* totals) {
  auto seq = std::make_unique<Sequence>();
  seq->count = static_cast<int32_t>(residues.size());
  for (size_t i = 0; i < residues.size(); ++i) {
    seq->slots[i + 1] = residues[i];
  }
  std::FILE* out = std::tmpfile();
  *totals = compute_totals(*seq, settings, out);
  print_summary(totals, settings, out);
  std::string text = read_all(out);
  std::fclose(out);
  return text;
}

}  // namespace

TEST(ComputeSolventDensity, PureWaters) {
  EXPECT_EQ("0.635846", format("%f", static_cast<double>(compute_solvent_density(1.0))));
  EXPECT_EQ("-0.055871", format("%f", static_cast<double>(compute_solvent_density(0.0))));
  EXPECT_EQ("0.220816", format("%f", static_cast<double>(compute_solvent_density(0.4))));
}

// The published figures, to the last printed digit.
TEST(PrintSummary, PublishedFigures) {
  struct Case {
    std::vector<int32_t> residues;
    const char* d2o;
    const char* deuteration;  // null: not deuterated
    const char* expected;
  };
  const Case cases[] = {
      {{0}, "0", nullptr, expected::GLY_IN_H2O},
      // Contrast -14.566197: the volume times the density is taken in double.
      {{0},
       "100",
       nullptr,
       "Acid=0, Name:GLY\n"
       "\n"
       "Acid Total Number=1\n"
       "D2O concentration (%) = 100.000000\n"
       "Total scattering length=27.653999\n"
       "Total scattering contrast=-14.566197\n"
       "Total volume =66.400002\n"
       "Total Mw =76.072680\n"
       "Total unExchangable Hydrogen =2\n"
       "Total Exchangable Hydrogen =1\n"
       "Scattering length density = 0.416476\n"
       "Scattering contrast = -0.219370\n"
       "Solvent scattering length density= 0.635846\n"},
      {{1, 0, 14},
       "0",
       "100",
       "Acid=1, Name:ALA\n"
       "Acid=0, Name:GLY\n"
       "Acid=14, Name:LYS\n"
       "\n"
       "Acid Total Number=3\n"
       "D2O concentration (%) = 0.000000\n"
       "Total scattering length=205.607999\n"
       "Total scattering contrast=224.274617\n"
       "Total volume =334.099998\n"
       "Total Mw =290.414781\n"
       "Total unExchangable Hydrogen =15\n"
       "Total Exchangable Hydrogen =6\n"
       "Scattering length density = 0.615409\n"
       "Scattering contrast = 0.671280\n"
       "Solvent scattering length density= -0.055871\n"},
      {{1, 0, 14},
       "40",
       "50",
       "Acid=1, Name:ALA\n"
       "Acid=0, Name:GLY\n"
       "Acid=14, Name:LYS\n"
       "\n"
       "Acid Total Number=3\n"
       "D2O concentration (%) = 40.000000\n"
       "Total scattering length=152.516999\n"
       "Total scattering contrast=78.742463\n"
       "Total volume =334.099998\n"
       "Total Mw =285.284181\n"
       "Total unExchangable Hydrogen =15\n"
       "Total Exchangable Hydrogen =6\n"
       "Scattering length density = 0.456501\n"
       "Scattering contrast = 0.235685\n"
       "Solvent scattering length density= 0.220816\n"},
      // Fully deuterated GLN in H2O: 64.889 - 3 x 10.41 + 5 x 10.41 = 85.709 fm, and
      // 131.1472 - 3 x 1.006 + 5 x 1.006 + 18.01528 = 151.17448 g/mol.
      {{13},
       "0",
       "100",
       "Acid=13, Name:GLN\n"
       "\n"
       "Acid Total Number=1\n"
       "D2O concentration (%) = 0.000000\n"
       "Total scattering length=85.709000\n"
       "Total scattering contrast=94.709875\n"
       "Total volume =161.100006\n"
       "Total Mw =151.174482\n"
       "Total unExchangable Hydrogen =5\n"
       "Total Exchangable Hydrogen =3\n"
       "Scattering length density = 0.532024\n"
       "Scattering contrast = 0.587895\n"
       "Solvent scattering length density= -0.055871\n"},
  };
  for (const Case& c : cases) {
    ScatteringTotals totals{};
    EXPECT_EQ(c.expected, calculate(c.residues, settings_for(c.d2o, c.deuteration), &totals))
        << c.d2o;
  }
}

// Unknown residues count, print as NON and change no sum.
TEST(ComputeTotals, UnknownResiduesAddNothing) {
  ScatteringTotals with{};
  ScatteringTotals without{};
  const std::string text = calculate({20, 0, 20}, settings_for("40", "50"), &with);
  calculate({0}, settings_for("40", "50"), &without);
  EXPECT_EQ(0u, text.find("Acid=20, Name:NON\nAcid=0, Name:GLY\nAcid=20, Name:NON\n\n"));
  EXPECT_EQ(3, with.residue_count);
  EXPECT_EQ(without.mass, with.mass);
  EXPECT_EQ(without.volume, with.volume);
  EXPECT_EQ(without.scattering_length, with.scattering_length);
  EXPECT_EQ(without.contrast, with.contrast);
}

// No residue: water's mass alone, and densities of zero over zero.
TEST(PrintSummary, EmptySequence) {
  for (int32_t count : {0, -1}) {
    ScatteringTotals totals{};
    auto seq = std::make_unique<Sequence>();
    seq->count = count;
    std::FILE* out = std::tmpfile();
    const SampleSettings settings = settings_for("0", nullptr);
    totals = compute_totals(*seq, settings, out);
    print_summary(&totals, settings, out);
    const std::string text = read_all(out);
    std::fclose(out);
    EXPECT_EQ(0u, text.find(format("\nAcid Total Number=%d\n", count))) << text;
    EXPECT_NE(std::string::npos, text.find("Total Mw =18.015280\n")) << text;
    EXPECT_TRUE(std::isnan(totals.length_density));
    EXPECT_TRUE(std::isnan(totals.contrast_density));
    const std::string nan_text = format("%f", totals.contrast_density);
    EXPECT_NE(std::string::npos, text.find("Scattering contrast = " + nan_text + "\n")) << text;
  }
}
