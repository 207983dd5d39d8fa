#include "residues/perkins.h"

#include <string>

#include <gtest/gtest.h>

#include "residues/residue_table.h"

namespace {

// Element counts of a formula with its charge stripped, for comparing compositions.
Unit counted(const std::string& formula, double labile) {
  Unit unit{};
  std::string error;
  EXPECT_TRUE(parse_formula(formula, labile, &unit, &error)) << formula << ": " << error;
  return unit;
}

}  // namespace

// Perkins' table as ../shared/data/perkins.md gives it (non-labile formula, labile H,
// volume), against the rows the planner holds; the planner adds the cysteine thiol H.
TEST(PerkinsResidue, AsTabulated) {
  struct Row {
    const char* name;
    const char* nonlabile;
    int labile;
    double volume;
  };
  const Row rows[] = {
      {"ALA", "C3H4NO", 1, 91.5},     {"CYS", "C3H3NOS", 1, 105.6},  {"ASP", "C4H3NO3-1", 1, 124.5},
      {"GLU", "C5H5NO3-1", 1, 155.1}, {"PHE", "C9H8NO", 1, 203.4},   {"GLY", "C2H2NO", 1, 66.4},
      {"HIS", "C6H5N3O+1", 3, 167.3}, {"ILE", "C6H10NO", 1, 168.8},  {"LYS", "C6H9N2O+1", 4, 171.3},
      {"LEU", "C6H10NO", 1, 168.8},   {"MET", "C5H8NOS", 1, 170.8},  {"ASN", "C4H3N2O2", 3, 135.2},
      {"PRO", "C5H7NO", 0, 129.3},    {"GLN", "C5H5N2O2", 3, 161.1}, {"ARG", "C6H7N4O+1", 6, 202.1},
      {"SER", "C3H3NO2", 2, 99.1},    {"THR", "C4H5NO2", 2, 122.1},  {"VAL", "C5H8NO", 1, 141.7},
      {"TRP", "C11H8N2O", 2, 237.6},  {"TYR", "C9H7NO2", 2, 203.6},
  };
  const Unit h = counted("H", 0);
  for (const Row& r : rows) {
    const PerkinsResidue* residue = perkins_residue(r.name);
    ASSERT_NE(nullptr, residue) << r.name;
    const int thiol = std::string(r.name) == "CYS" ? 1 : 0;
    EXPECT_EQ(r.labile + thiol, residue->labile) << r.name;
    EXPECT_EQ(r.volume, residue->volume) << r.name;
    // The same atoms: the tabulated non-labile part plus the labile hydrogens.
    const Unit held = counted(residue->formula, residue->labile);
    const Unit tabulated = counted(r.nonlabile, 0);
    const double labile = r.labile + thiol;
    EXPECT_NEAR(tabulated.mass + labile * h.mass, held.mass - labile * 1.006162, 1e-9) << r.name;
    EXPECT_NEAR(tabulated.electrons + labile, held.electrons, 1e-9) << r.name;
    EXPECT_EQ(tabulated.nonexchangeable_h, held.nonexchangeable_h) << r.name;
  }
}

// The console table's residues have Perkins' compositions: with the table's volumes,
// the planner's composed units and the console's stored ones agree, the masses within
// the 0.006 g/mol the table's rounding left (its sulfur weighs 32.06).
TEST(ChainUnit, ComposedUnitsAgreeWithTheConsoleTable) {
  for (int32_t row = 0; row < UNKNOWN_RESIDUE; ++row) {
    const Unit& stored = chain_unit(ChainKind::kProtein, row, UnitSet::kConsole);
    const Unit& composed = chain_unit(ChainKind::kProtein, row, UnitSet::kTable);
    const std::string name = residue_table[row].name;
    EXPECT_NEAR(stored.mass, composed.mass, 6e-3) << name;
    EXPECT_NEAR(stored.length, composed.length, 1e-3) << name;
    EXPECT_EQ(stored.exchangeable_h, composed.exchangeable_h) << name;
    EXPECT_EQ(stored.nonexchangeable_h, composed.nonexchangeable_h) << name;
    EXPECT_EQ(stored.electrons, composed.electrons) << name;
    EXPECT_EQ(stored.volume, composed.volume) << name;
    EXPECT_EQ(perkins_residue(name)->volume,
              chain_unit(ChainKind::kProtein, row, UnitSet::kPerkins).volume)
        << name;
  }
}

// Glycan residues by their PDB names: NAG is C8H13NO5 with 3 labile H, 222.0 A^3.
TEST(GlycanUnit, ByPdbName) {
  const Unit* nag = glycan_unit("NAG");
  ASSERT_NE(nullptr, nag);
  EXPECT_EQ(222.0, nag->volume);
  EXPECT_EQ(3.0, nag->exchangeable_h);
  EXPECT_EQ(10.0, nag->nonexchangeable_h);
  EXPECT_NEAR(8 * 12.0107 + 13 * 1.00794 + 14.0067 + 5 * 15.9994, nag->mass - 3 * 1.006162, 1e-9);
  EXPECT_EQ(glycan_unit("MAN"), glycan_unit("BMA"));
  EXPECT_EQ(nullptr, glycan_unit("SO4"));
}
