// Scattering figures of a component over a range of solvent D2O fractions, computed
// from what it is made of, and the match point where its contrast vanishes.
#ifndef QUORVANE_SCATTERING_CONTRAST_SERIES_H_
#define QUORVANE_SCATTERING_CONTRAST_SERIES_H_

#include <cstdint>
#include <vector>

#include "residues/chemistry.h"

// One kind of unit in a component, how many of it (fractional for ambiguity codes,
// negative for what is taken away), and the deuterated fraction of its carbon-bound
// hydrogens.
struct Part {
  Unit unit;
  double count;
  double deuteration;
};

// A component: its parts in a fixed order (the order of the sums), and, when above 0,
// a volume that replaces the sum of the parts' volumes (from a partial specific
// volume, or a formula's stated volume or density).
struct Makeup {
  std::vector<Part> parts;
  double volume = 0.0;
};

// One component, or a complex of components, in one solvent.
struct SeriesPoint {
  double d2o_fraction;
  float solvent_density;     // fm per cubic angstrom, rounded as the console rounds it
  double scattering_length;  // fm
  double contrast;           // fm
  double mass;               // g/mol, one water molecule per chain included
  double volume;             // cubic angstrom
  double length_density;     // fm per cubic angstrom
  double contrast_density;   // fm per cubic angstrom
  double electrons;
  double xray_density;          // fm per cubic angstrom
  double xray_solvent_density;  // fm per cubic angstrom
  double forward_scattering;    // I(0), 1/cm; set by the caller that knows the concentration
};

// Figures at D2O fraction `x` when labile hydrogens exchange with the solvent with
// fraction `exchange`: a labile hydrogen is deuterium with probability exchange * x.
// With exchange 1, a protein's figures are the console calculation's, term for term
// per residue kind. `water` adds one water molecule's mass per chain (the termini).
SeriesPoint series_point(const Makeup& makeup, double exchange, double x, double water);

// Adds `copies` of `part` to `sum` (a complex of components in the same solvent); the
// densities are those of the sums.
void add_copies(const SeriesPoint& part, int64_t copies, SeriesPoint* sum);

// The linear model of a component's contrast: scattering length a + b x and volume v,
// for the D2O fraction x. Weighted sums of models are the models of complexes.
struct ContrastModel {
  double length_at_h2o;   // a, fm
  double length_per_d2o;  // b, fm per unit D2O fraction
  double volume;          // v, cubic angstrom
};

ContrastModel contrast_model(const Makeup& makeup, double exchange);
void add_model(const ContrastModel& part, int64_t copies, ContrastModel* sum);

// The D2O fraction at which the contrast vanishes, which may lie outside 0..1.
// Returns false when there is none (the contrast does not change with x, or there is
// no volume).
bool match_point(const ContrastModel& model, double* x);

// The deuterated fraction of all carbon-bound hydrogens, the same in every part, that
// puts the match point at D2O fraction `x`; it may lie outside 0..1. Returns false when
// no deuteration moves it (no carbon-bound hydrogens).
bool deuteration_for_match(const Makeup& makeup, double exchange, double x, double* deuteration);

#endif  // QUORVANE_SCATTERING_CONTRAST_SERIES_H_
