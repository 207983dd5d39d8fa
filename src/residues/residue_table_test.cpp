#include "residues/residue_table.h"

#include <cmath>

#include <gtest/gtest.h>

// Every row against its chemical composition, with the element data of Rauch and
// Waschkowski (2003) and IUPAC masses: labile hydrogens as deuterium, carbon-bound ones
// as hydrogen. A wrong hydrogen count moves the mass by 1 g/mol and the length by 10 fm.
TEST(ResidueTable, RowsFollowFromTheirComposition) {
  struct Element {
    double mass, length;
  };
  const Element C{12.0107, 6.6484}, H{1.00794, -3.7409}, D{2.014102, 6.674}, N{14.0067, 9.36},
      O{15.9994, 5.805}, S{32.065, 2.847};
  struct Formula {
    const char* name;
    int c, h, d, n, o, s;
  };
  // ASP, GLU, LYS, ARG and HIS in their charged forms, as at neutral pH.
  const Formula formulas[] = {
      {"GLY", 2, 2, 1, 1, 1, 0},  {"ALA", 3, 4, 1, 1, 1, 0},  {"VAL", 5, 8, 1, 1, 1, 0},
      {"LEU", 6, 10, 1, 1, 1, 0}, {"ILE", 6, 10, 1, 1, 1, 0}, {"PHE", 9, 8, 1, 1, 1, 0},
      {"TYR", 9, 7, 2, 1, 2, 0},  {"TRP", 11, 8, 2, 2, 1, 0}, {"ASP", 4, 3, 1, 1, 3, 0},
      {"GLU", 5, 5, 1, 1, 3, 0},  {"SER", 3, 3, 2, 1, 2, 0},  {"THR", 4, 5, 2, 1, 2, 0},
      {"ASN", 4, 3, 3, 2, 2, 0},  {"GLN", 5, 5, 3, 2, 2, 0},  {"LYS", 6, 9, 4, 2, 1, 0},
      {"ARG", 6, 7, 6, 4, 1, 0},  {"HIS", 6, 5, 3, 3, 1, 0},  {"MET", 5, 8, 1, 1, 1, 1},
      {"CYS", 3, 3, 2, 1, 1, 1},  {"PRO", 5, 7, 0, 1, 1, 0},  {"NON", 0, 0, 0, 0, 0, 0},
  };
  for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
    const Formula& f = formulas[row];
    const ResidueRecord& r = residue_table[row];
    const double mass =
        f.c * C.mass + f.h * H.mass + f.d * D.mass + f.n * N.mass + f.o * O.mass + f.s * S.mass;
    const double length = f.c * C.length + f.h * H.length + f.d * D.length + f.n * N.length +
                          f.o * O.length + f.s * S.length;
    EXPECT_STREQ(f.name, r.name);
    EXPECT_EQ(row, r.number) << f.name;
    EXPECT_EQ(f.h, r.nonexchangeable_h) << f.name;
    EXPECT_EQ(f.d, r.exchangeable_h) << f.name;
    EXPECT_NEAR(mass, r.mass, 0.01) << f.name;
    EXPECT_NEAR(length, r.scattering_length, 0.001) << f.name;
  }
}
