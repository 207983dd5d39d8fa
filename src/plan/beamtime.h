// The beamtime of a series: for each sample (each component alone and the complex, at
// their concentrations) and D2O point, its background, the transmission of each cell,
// the cell that counts it fastest, the signal's count rate over the Guinier range and
// the counting time to the target error of I(0).
#ifndef QUORVANE_PLAN_BEAMTIME_H_
#define QUORVANE_PLAN_BEAMTIME_H_

#include <vector>

#include "plan/components.h"
#include "plan/series_lines.h"

// The Guinier range ends at q Rg = 1.3.
constexpr double GUINIER_END = 1.3;

// Rg of a compact folded protein of n residues: 2.2 n^0.38 angstrom (J. Kuszewski,
// A. M. Gronenborn and G. M. Clore, J. Am. Chem. Soc. 121, 2337 (1999)).
double compact_protein_rg(double residues);

// I(q) of the line at point i, 1/cm/sr: its curves interpolated on `grid` (the run's
// curve_grid), or its Guinier curve.
double line_intensity(const SeriesLine& line, const std::vector<double>& grid, size_t i, double q);

// Fills the beamtime of every line; lines from structures take their curves, which
// must have been added (add_curves).
void add_beamtime(const std::vector<Component>& components, const SeriesOptions& options,
                  const Solvent& solvent, std::vector<SeriesLine>* lines);

#endif  // QUORVANE_PLAN_BEAMTIME_H_
