#include "residues/chemistry.h"

#include <string>

#include <gtest/gtest.h>

#include "residues/ligands.h"

// Every nucleotide against its formula (the sodium salt in a chain), counted here
// again with the element data: mass and length with every hydrogen as H, once the
// labile ones are turned back from deuterium (D - H: 1.006162 g/mol, 10.4149 fm); DNA A
// is 335.19 g/mol by hand.
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
    EXPECT_NEAR(mass, u.mass - r.labile * 1.006162, 1e-9) << name;
    EXPECT_NEAR(length, u.length - r.labile * 10.4149, 1e-9) << name;
    EXPECT_EQ(r.labile, u.exchangeable_h) << name;
    EXPECT_EQ(r.h - r.labile, u.nonexchangeable_h) << name;
    EXPECT_EQ(6 * r.c + r.h + 7 * r.n + 8 * r.o + 15 + 11, u.electrons) << name;
    EXPECT_EQ(r.volume, u.volume) << name;
  }
  EXPECT_NEAR(335.19, chain_unit(ChainKind::kDna, 0).mass - 2 * 1.006162, 0.005);
}

// The element table, row by row, against the values typed from their source: H. Rauch
// and W. Waschkowski, Neutron Data Booklet (2003), for b_coh, sigma_inc and sigma_abs;
// IUPAC standard atomic weights; Z. Any slip in a constant fails here.
TEST(ElementTable, AsPublished) {
  struct Row {
    const char* symbol;
    int z;
    double mass, b_coh, sigma_inc, sigma_abs;
  };
  const Row rows[] = {
      {"H", 1, 1.007940, -3.7409, 80.26, 0.3326},
      {"D", 1, 2.014102, 6.674, 2.05, 0.000519},
      {"C", 6, 12.010700, 6.6484, 0.001, 0.0035},
      {"N", 7, 14.006700, 9.36, 0.5, 1.9},
      {"O", 8, 15.999400, 5.805, 0.0, 0.00019},
      {"P", 15, 30.973761, 5.13, 0.005, 0.172},
      {"S", 16, 32.065000, 2.847, 0.007, 0.53},
      {"Na", 11, 22.989770, 3.63, 1.62, 0.53},
      {"K", 19, 39.098300, 3.67, 0.27, 2.1},
      {"Cl", 17, 35.453000, 9.5792, 5.3, 33.5},
      {"Mg", 12, 24.305000, 5.375, 0.08, 0.063},
      {"Ca", 20, 40.078000, 4.7, 0.05, 0.43},
      {"Se", 34, 78.960000, 7.97, 0.32, 11.7},
      {"Fe", 26, 55.845000, 9.45, 0.4, 2.56},
      {"Zn", 30, 65.409000, 5.68, 0.077, 1.11},
      {"Mn", 25, 54.938049, -3.75, 0.4, 13.3},
      {"Cu", 29, 63.546000, 7.718, 0.55, 3.78},
      {"F", 9, 18.998403, 5.654, 0.0008, 0.0096},
      {"Br", 35, 79.904000, 6.79, 0.1, 6.9},
      {"I", 53, 126.904470, 5.28, 0.31, 6.15},
      // Of the booklet's other elements, those of metalloproteins and gold labels.
      {"Co", 27, 58.933200, 2.49, 4.8, 37.18},
      {"Ni", 28, 58.693400, 10.3, 5.2, 4.49},
      {"Mo", 42, 95.940000, 6.715, 0.04, 2.48},
      {"Au", 79, 196.966550, 7.9, 0.43, 98.65},
      {"Gd", 64, 157.250000, 9.5, 151.0, 49700.0},
  };
  // Every element of the booklet with a coherent length, from H to Cm (less those
  // without a stable or long-lived isotope: Po, At, Rn, Fr, Ac), and D.
  EXPECT_EQ(92, element_count());
  for (const Row& r : rows) {
    const Element* e = find_element(r.symbol);
    ASSERT_NE(nullptr, e) << r.symbol;
    EXPECT_EQ(r.z, e->electrons) << r.symbol;
    EXPECT_EQ(r.mass, e->mass) << r.symbol;
    EXPECT_EQ(r.b_coh, e->length) << r.symbol;
    EXPECT_EQ(r.sigma_inc, e->incoherent) << r.symbol;
    EXPECT_EQ(r.sigma_abs, e->absorption) << r.symbol;
  }
  // Selenomethionine and selenocysteine: Se for S, 46.895 g/mol, 5.123 fm, 18 electrons.
  const Unit se = selenium_for_sulfur();
  EXPECT_EQ(78.96 - 32.065, se.mass);
  EXPECT_EQ(7.97 - 2.847, se.length);
  EXPECT_EQ(18.0, se.electrons);
  EXPECT_EQ(0.0, se.volume + se.exchangeable_h + se.nonexchangeable_h);
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
      // Groups and their counts, by hand: Ca + 2 (O + H).
      {"Ca(OH)2", 2, true, 74.09268, 38, ""},
      {"(C3H4O3)12", 0, true, 1056.74472, 552, ""},
      {"Co(NH3)6+3", 0, true, 161.11632, 84, ""},
      {"Ca(OH", 0, false, 0, 0, "a '(' without its ')' or with nothing inside"},
      {"()2", 0, false, 0, 0, "a '(' without its ')' or with nothing inside"},
      {"Ca(OH)1000001", 0, false, 0, 0,
       "the count after ')' is not a whole number from 1 to 1000000"},
      {"(((((((((H)))))))))", 0, false, 0, 0, "groups nest more than 8 deep"},
      {"((H1000000)1000000)2", 0, false, 0, 0, "more than 1e9 atoms of H"},
  };
  for (const Case& c : cases) {
    Unit unit{};
    std::string error;
    EXPECT_EQ(c.ok, parse_formula(c.formula, c.labile, &unit, &error)) << c.formula;
    EXPECT_EQ(c.error, error) << c.formula;
    if (c.ok) {
      EXPECT_NEAR(c.mass, unit.mass - c.labile * 1.006162, 1e-6) << c.formula;
      EXPECT_EQ(c.electrons, unit.electrons) << c.formula;
    }
  }
}

// The common ligands' formulas against the Chemical Component Dictionary's entries,
// typed here from the entries' _chem_comp.formula (spaces taken out) as read: data_HEC,
// data_GTP, data_FMN and data_AMP of the dictionary, and HEM as a model's chem_comp loop
// copies it; and no row claims more labile hydrogens than it has.
TEST(LigandTable, AsTheDictionaryGivesThem) {
  struct Row {
    const char* name;
    const char* formula;
  };
  const Row rows[] = {
      {"HEM", "C34H32FeN4O4"}, {"HEC", "C34H34FeN4O4"}, {"GTP", "C10H16N5O14P3"},
      {"FMN", "C17H21N4O9P"},  {"AMP", "C10H14N5O7P"},
  };
  for (const Row& r : rows) {
    const LigandFormula* row = find_ligand(r.name);
    ASSERT_NE(nullptr, row) << r.name;
    EXPECT_EQ(std::string(r.formula), row->formula) << r.name;
  }
  for (int i = 0; i < ligand_count(); ++i) {
    const LigandFormula& row = ligand_at(i);
    Unit unit{};
    std::string error;
    EXPECT_TRUE(parse_formula(row.formula, row.labile, &unit, &error)) << row.name << ": " << error;
  }
}
