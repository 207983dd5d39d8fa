// The fixed constants of the twenty standard amino-acid residues, plus the row that
// stands for anything unrecognised, and the two textual codes that name them.
#ifndef QUORVANE_RESIDUES_RESIDUE_TABLE_H_
#define QUORVANE_RESIDUES_RESIDUE_TABLE_H_

#include <cstddef>
#include <cstdint>

// One row of the table. The masses and scattering lengths count every exchangeable
// hydrogen as deuterium and every non-exchangeable one as hydrogen; the calculation
// converts from there.
struct ResidueRecord {
  char name[4];                    // three upper-case letters
  int32_t number;                  // the row's own index
  int32_t nonexchangeable_h;       // hydrogens bound to carbon
  int32_t exchangeable_h;          // hydrogens that take the solvent's H/D ratio
  float mass;                      // g/mol
  float volume;                    // cubic angstrom
  float scattering_length;         // fm
  float incoherent_cross_section;  // barn; kept with the row, used by no calculation
};

// g/mol added per hydrogen replaced by deuterium. One unit in the last place below
// the double nearest 1.006: the published figures were computed with this value, and
// 1.006 itself moves the sixth decimal of some masses.
constexpr double EXCHANGE_MASS_STEP = 1.0059999999999998;
constexpr double EXCHANGE_LENGTH_STEP = 10.41;  // fm added per hydrogen replaced by deuterium

constexpr int32_t RESIDUE_ROWS = 21;
// The row of anything that is not a recognised residue: it counts as a residue and
// adds nothing to any total.
constexpr int32_t UNKNOWN_RESIDUE = 20;

extern const ResidueRecord residue_table[RESIDUE_ROWS];

// True when `number` names a row of `residue_table`.
inline bool is_residue_number(int32_t number) {
  return number >= 0 && number < RESIDUE_ROWS;
}

// Returns the row whose name equals the `length` bytes at `token` exactly (case and
// all), or UNKNOWN_RESIDUE. A token of any other length than three, or one holding a
// zero byte, matches no name; "NON" itself is UNKNOWN_RESIDUE too.
int32_t lookup_three_letter(const char* token, size_t length);

// Returns the row of the one-letter code `letter` (an upper-case A to Y). For B, J, O,
// U and X, which name no single residue, returns `current`, the number stored last.
int32_t one_letter_number(char letter, int32_t current);

#endif  // QUORVANE_RESIDUES_RESIDUE_TABLE_H_
