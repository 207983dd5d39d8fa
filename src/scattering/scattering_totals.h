// The protein's scattering totals against a H2O/D2O solvent, and their console summary.
#ifndef QUORVANE_SCATTERING_SCATTERING_TOTALS_H_
#define QUORVANE_SCATTERING_SCATTERING_TOTALS_H_

#include <cstdint>
#include <cstdio>

#include "dialogue/sample_settings.h"
#include "residues/sequence_reader.h"

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

struct ScatteringTotals {
  int32_t residue_count;
  int32_t nonexchangeable_h;
  int32_t exchangeable_h;
  double mass;               // g/mol at the solvent's D2O fraction
  double volume;             // cubic angstrom
  double scattering_length;  // fm
  double contrast;           // fm: scattering_length - volume * solvent density
  double length_density;     // fm per cubic angstrom; filled by print_summary
  double contrast_density;   // fm per cubic angstrom; filled by print_summary
};

// The solvent's scattering length density for the D2O fraction `x`, which is not
// limited to 0..1. Rounded to single precision, as every later use takes it.
float compute_solvent_density(double x);

// Sums the residues in slots 1 to seq.count (none when the count is below 1) under
// the exchange and deuteration rules of `settings`, and adds one water molecule's
// mass. Writes "Acid=<number>, Name:<name>" per residue to `lines` unless it is
// null. A slot that names no table row counts as row 20.
ScatteringTotals compute_totals(const Sequence& seq, const SampleSettings& settings,
                                std::FILE* lines);

// Fills the two densities of `totals` (not-a-number for a zero volume) and writes the
// console summary to `out`.
void print_summary(ScatteringTotals* totals, const SampleSettings& settings, std::FILE* out);

#endif  // QUORVANE_SCATTERING_SCATTERING_TOTALS_H_
