// The physics both programs share: how a residue's mass and scattering length change
// when its hydrogens are replaced by deuterium, and the scattering length density of
// a H2O/D2O solvent.
#ifndef QUORVANE_SCATTERING_SCATTERING_MODEL_H_
#define QUORVANE_SCATTERING_SCATTERING_MODEL_H_

#include "residues/residue_table.h"

// g/mol added per hydrogen replaced by deuterium. One unit in the last place below
// the double nearest 1.006: the published figures were computed with this value, and
// 1.006 itself moves the sixth decimal of some masses.
constexpr double EXCHANGE_MASS_STEP = 1.0059999999999998;
constexpr double EXCHANGE_LENGTH_STEP = 10.41;  // fm added per hydrogen replaced by deuterium
constexpr double WATER_MASS = 18.01528;         // g/mol, added once per protein
// Solvent density = (x * D2O term - (1 - x) * H2O term) * scale, in fm per cubic
// angstrom, for the D2O fraction x.
constexpr double D2O_DENSITY_FACTOR = 1.0562231536926148;
constexpr double H2O_DENSITY_FACTOR = 0.09280954972667645;
constexpr double DENSITY_SCALE = 0.602;
// The same density as a line in x, for solving where a contrast vanishes.
constexpr double SOLVENT_AT_H2O = -H2O_DENSITY_FACTOR * DENSITY_SCALE;
constexpr double SOLVENT_PER_D2O = (D2O_DENSITY_FACTOR + H2O_DENSITY_FACTOR) * DENSITY_SCALE;

// The solvent's scattering length density for the D2O fraction `x`, which is not
// limited to 0..1. Rounded to single precision, as every later use takes it.
float compute_solvent_density(double x);

// One residue's contributions, each taken in double from the table's single-precision
// values. The exchange terms and the deuteration terms are kept apart because the
// console adds them to its sums one after the other, and the order of additions
// shows in the sixth decimal.
struct ResidueTerms {
  double volume;              // cubic angstrom
  double mass;                // g/mol, labile hydrogens at the solvent's H share `h`
  double length;              // fm, likewise
  double deuteration_mass;    // g/mol added by deuterating the carbon-bound hydrogens
  double deuteration_length;  // fm, likewise
};

// The terms of row `r` when a labile hydrogen is hydrogen with probability `h` and a
// carbon-bound one is deuterium with probability `d`.
ResidueTerms residue_terms(const ResidueRecord& r, double h, double d);

#endif  // QUORVANE_SCATTERING_SCATTERING_MODEL_H_
