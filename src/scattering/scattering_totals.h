// The protein's scattering totals against a H2O/D2O solvent, and their console summary.
#ifndef QUORVANE_SCATTERING_SCATTERING_TOTALS_H_
#define QUORVANE_SCATTERING_SCATTERING_TOTALS_H_

#include <cstdint>
#include <cstdio>

#include "residues/sequence_reader.h"
#include "sample/sample_settings.h"

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

// Sums the residues in slots 1 to seq.count (none when the count is below 1) under
// the exchange and deuteration rules of `settings`, adds one water molecule's mass
// and divides by the volume. Writes "Acid=<number>, Name:<name>" per residue to
// `lines` unless it is null. A slot that names no table row counts as row 20.
ScatteringTotals compute_totals(const Sequence& seq, const SampleSettings& settings,
                                std::FILE* lines);

// Writes the console summary of `totals` to `out`.
void print_summary(const ScatteringTotals& totals, const SampleSettings& settings, std::FILE* out);

#endif  // QUORVANE_SCATTERING_SCATTERING_TOTALS_H_
