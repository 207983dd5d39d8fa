#include "residues/residue_table.h"

#include <cstring>

#include <gtest/gtest.h>

TEST(ResidueTable, RowsAreNumberedInOrder) {
  for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
    EXPECT_EQ(row, residue_table[row].number) << residue_table[row].name;
  }
  EXPECT_STREQ("NON", residue_table[UNKNOWN_RESIDUE].name);
  EXPECT_EQ(0.0f, residue_table[UNKNOWN_RESIDUE].mass);
  EXPECT_EQ(0.0f, residue_table[UNKNOWN_RESIDUE].volume);
}

// Glutamine has H-alpha, two H-beta and two H-gamma on carbon, and its mass and
// scattering length count all five; four under-counts every deuterated GLN.
TEST(ResidueTable, GlutamineHasFiveCarbonBoundHydrogens) {
  EXPECT_STREQ("GLN", residue_table[13].name);
  EXPECT_EQ(5, residue_table[13].nonexchangeable_h);
  EXPECT_EQ(3, residue_table[13].exchangeable_h);
}

TEST(LookupThreeLetter, WholeTokenCaseSensitive) {
  struct Case {
    const char* token;
    size_t length;
    int32_t number;
  };
  const Case cases[] = {
      {"GLY", 3, 0},  {"ALA", 3, 1},     {"LYS", 3, 14}, {"PRO", 3, 19},
      {"CYS", 3, 18}, {"NON", 3, 20},    {"gly", 3, 20}, {"Gly", 3, 20},
      {"GL", 2, 20},  {"GLYGLY", 6, 20}, {"", 0, 20},    {"G\0Y", 3, 20},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.number, lookup_three_letter(c.token, c.length)) << c.token;
  }
}

TEST(OneLetterNumber, CodesAndLettersWithoutRow) {
  const char* letters = "ACDEFGHIKLMNPQRSTVWY";
  const int32_t numbers[] = {1, 18, 8, 9, 5, 0, 16, 4, 14, 3, 17, 12, 19, 13, 15, 10, 11, 2, 7, 6};
  for (size_t i = 0; i < std::strlen(letters); ++i) {
    EXPECT_EQ(numbers[i], one_letter_number(letters[i], 11)) << letters[i];
  }
  for (char letter : {'B', 'J', 'O', 'U', 'X'}) {
    EXPECT_EQ(7, one_letter_number(letter, 7)) << letter;
  }
}
