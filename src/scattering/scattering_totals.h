// The protein's scattering totals against a H2O/D2O solvent, summed residue by residue
// as the console calculator prints them.
#ifndef QUORVANE_SCATTERING_SCATTERING_TOTALS_H_
#define QUORVANE_SCATTERING_SCATTERING_TOTALS_H_

#include <cstdint>
#include <cstdio>

#include "residues/sequence_reader.h"

struct ScatteringTotals {
  int32_t residue_count;
  int32_t nonexchangeable_h;
  int32_t exchangeable_h;
  double mass;               // g/mol at the solvent's D2O fraction
  double volume;             // cubic angstrom
  double scattering_length;  // fm
  double contrast;           // fm: scattering_length - volume * solvent density
  double length_density;     // fm per cubic angstrom; not-a-number for a zero volume
  double contrast_density;   // fm per cubic angstrom; likewise
};

// Sums the residues in slots 1 to seq.count (none when the count is below 1): labile
// hydrogens are hydrogen with probability `h2o_fraction`, carbon-bound ones deuterium
// with probability `deuteration_fraction` (0 for a sample that is not deuterated), and
// the contrast is taken against `solvent_density` (fm per cubic angstrom). Adds one
// water molecule's mass and divides by the volume. Writes "Acid=<number>, Name:<name>"
// per residue to `lines` unless it is null. A slot that names no table row counts as
// row 20.
ScatteringTotals compute_totals(const Sequence& seq, double h2o_fraction,
                                double deuteration_fraction, float solvent_density,
                                std::FILE* lines);

#endif  // QUORVANE_SCATTERING_SCATTERING_TOTALS_H_
