// Scattering totals of a chain over a range of solvent D2O fractions, computed from
// its composition, and the match point where its contrast vanishes.
#ifndef QUORVANE_SCATTERING_CONTRAST_SERIES_H_
#define QUORVANE_SCATTERING_CONTRAST_SERIES_H_

#include <cstdint>

#include "residues/composition.h"

// One chain, or a complex of chains, in one solvent.
struct SeriesPoint {
  double d2o_fraction;
  float solvent_density;     // fm per cubic angstrom, rounded as the console rounds it
  double scattering_length;  // fm
  double contrast;           // fm
  double mass;               // g/mol, one water molecule per chain included
  double volume;             // cubic angstrom
  double length_density;     // fm per cubic angstrom
  double contrast_density;   // fm per cubic angstrom
};

// Totals at D2O fraction `x` for a chain whose non-exchangeable hydrogens are
// deuterium with fraction `deuteration`, and whose labile hydrogens exchange with the
// solvent with fraction `exchange`: a labile hydrogen is deuterium with probability
// exchange * x. With exchange 1 every figure is the console calculation's, term for
// term per residue kind.
SeriesPoint series_point(const Composition& comp, double deuteration, double exchange, double x);

// Adds `copies` of `part` to `sum` (a complex of chains in the same solvent); the
// densities are those of the sums.
void add_copies(const SeriesPoint& part, int64_t copies, SeriesPoint* sum);

// The linear model of a chain's contrast: scattering length a + b x and volume v, for
// the D2O fraction x. Weighted sums of models are the models of complexes.
struct ContrastModel {
  double length_at_h2o;   // a, fm
  double length_per_d2o;  // b, fm per unit D2O fraction
  double volume;          // v, cubic angstrom
};

ContrastModel contrast_model(const Composition& comp, double deuteration, double exchange);
void add_model(const ContrastModel& part, int64_t copies, ContrastModel* sum);

// The D2O fraction at which the contrast vanishes, which may lie outside 0..1.
// Returns false when there is none (the contrast does not change with x, or there is
// no volume).
bool match_point(const ContrastModel& model, double* x);

#endif  // QUORVANE_SCATTERING_CONTRAST_SERIES_H_
