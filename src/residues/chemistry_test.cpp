#include "residues/chemistry.h"

#include <string>

#include <gtest/gtest.h>

// Every nucleotide against its formula (the sodium salt in a chain), counted here
// again with the element data: mass and length with every hydrogen as H, once the
// labile ones are turned back from deuterium; DNA A is 335.19 g/mol by hand.
TEST(ChainUnit, NucleotidesFollowFromTheirFormulas) {
  struct Row {
    ChainKind kind;
    int index, c, h, n, o, labile;
    double volume;
  };
  const Row rows[] = {
      {ChainKind::kDna, 0, 10, 11, 5, 5, 2, 289}, {ChainKind::kDna, 1, 9, 11, 3, 6, 2, 278},
      {ChainKind::kDna, 2, 10, 11, 5, 6, 3, 294}, {ChainKind::kDna, 3, 10, 12, 2, 7, 1, 301},
      {ChainKind::kRna, 0, 10, 11, 5, 6, 3, 299}, {ChainKind::kRna, 1, 9, 11, 3, 7, 3, 288},
      {ChainKind::kRna, 2, 10, 11, 5, 7, 4, 304}, {ChainKind::kRna, 3, 9, 10, 2, 8, 2, 284},
  };
  for (const Row& r : rows) {
    const Unit& u = chain_unit(r.kind, r.index);
    const std::string name =
        std::string(r.kind == ChainKind::kDna ? "DNA " : "RNA ") + unit_name(r.kind, r.index);
    const double mass =
        r.c * 12.0107 + r.h * 1.00794 + r.n * 14.0067 + r.o * 15.9994 + 30.973761 + 22.98977;
    const double length = r.c * 6.6484 + r.h * -3.7409 + r.n * 9.36 + r.o * 5.805 + 5.13 + 3.63;
    EXPECT_NEAR(mass, u.mass - r.labile * EXCHANGE_MASS_STEP, 1e-9) << name;
    EXPECT_NEAR(length, u.length - r.labile * EXCHANGE_LENGTH_STEP, 1e-9) << name;
    EXPECT_EQ(r.labile, u.exchangeable_h) << name;
    EXPECT_EQ(r.h - r.labile, u.nonexchangeable_h) << name;
    EXPECT_EQ(6 * r.c + r.h + 7 * r.n + 8 * r.o + 15 + 11, u.electrons) << name;
    EXPECT_EQ(r.volume, u.volume) << name;
  }
  EXPECT_NEAR(335.19, chain_unit(ChainKind::kDna, 0).mass - 2 * EXCHANGE_MASS_STEP, 0.005);
}

TEST(ParseFormula, ElementsCountsAndCharges) {
  struct Case {
    const char* formula;
    double labile;
    bool ok;
    double mass, electrons;  // mass with the labile H as H
    const char* error;
  };
  const Case cases[] = {
      {"C12H22O11", 8, true, 342.29648, 182, ""},
      {"D2O", 0, true, 20.027604, 10, ""},
      {"Mg+2", 0, true, 24.305, 10, ""},
      {"SO4-2", 0, true, 96.0626, 50, ""},
      {"NaCl", 0, true, 58.44277, 28, ""},
      {"C6Xx2", 0, false, 0, 0, "'Xx' is no element the planner knows (see --help)"},
      {"c6", 0, false, 0, 0,
       "'c6' is not a formula such as C12H22O11 (element symbols and counts)"},
      {"H2O", 3, false, 0, 0, "more labile hydrogens than the formula's hydrogens"},
      {"C0", 0, false, 0, 0, "the count after 'C' is not a whole number from 1 to 1000000"},
  };
  for (const Case& c : cases) {
    Unit unit{};
    std::string error;
    EXPECT_EQ(c.ok, parse_formula(c.formula, c.labile, &unit, &error)) << c.formula;
    EXPECT_EQ(c.error, error) << c.formula;
    if (c.ok) {
      EXPECT_NEAR(c.mass, unit.mass - c.labile * EXCHANGE_MASS_STEP, 1e-6) << c.formula;
      EXPECT_EQ(c.electrons, unit.electrons) << c.formula;
    }
  }
}
