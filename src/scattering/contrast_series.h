// Scattering totals of a protein over a range of solvent D2O fractions, computed from
// its residue counts in one pass over the sequence, and the match point where its
// contrast vanishes.
#ifndef QUORVANE_SCATTERING_CONTRAST_SERIES_H_
#define QUORVANE_SCATTERING_CONTRAST_SERIES_H_

#include <cstdint>

#include "residues/residue_table.h"
#include "residues/sequence_reader.h"

// How often each table row occurs in a sequence: all that the totals depend on.
struct ResidueCounts {
  int64_t rows[RESIDUE_ROWS];
  int64_t total;
};

// Counts slots 1 to seq.count (none when the count is below 1); numbers that name no
// row count as row 20, as in the console calculation.
void count_residues(const Sequence& seq, ResidueCounts* counts);

// One protein in one solvent.
struct SeriesPoint {
  double d2o_fraction;
  float solvent_density;     // fm per cubic angstrom, rounded as the console rounds it
  double scattering_length;  // fm
  double contrast;           // fm
  double mass;               // g/mol, one water molecule included
  double volume;             // cubic angstrom
  double length_density;     // fm per cubic angstrom
  double contrast_density;   // fm per cubic angstrom
};

// Totals at D2O fraction `x` for a protein whose non-exchangeable hydrogens are
// deuterium with fraction `deuteration`, and whose labile hydrogens exchange with the
// solvent with fraction `exchange`: a labile hydrogen is deuterium with probability
// exchange * x. With exchange 1 every figure is the console calculation's, term for
// term per residue kind.
SeriesPoint series_point(const ResidueCounts& counts, double deuteration, double exchange,
                         double x);

// Adds `copies` of `part` to `sum` (a complex of components in the same solvent); the
// densities are those of the sums.
void add_copies(const SeriesPoint& part, int64_t copies, SeriesPoint* sum);

// The linear model of a protein's contrast: scattering length a + b x and volume v, for
// the D2O fraction x. Weighted sums of models are the models of complexes.
struct ContrastModel {
  double length_at_h2o;   // a, fm
  double length_per_d2o;  // b, fm per unit D2O fraction
  double volume;          // v, cubic angstrom
};

ContrastModel contrast_model(const ResidueCounts& counts, double deuteration, double exchange);
void add_model(const ContrastModel& part, int64_t copies, ContrastModel* sum);

// The D2O fraction at which the contrast vanishes, which may lie outside 0..1.
// Returns false when there is none (the contrast does not change with x, or there is
// no volume).
bool match_point(const ContrastModel& model, double* x);

#endif  // QUORVANE_SCATTERING_CONTRAST_SERIES_H_
