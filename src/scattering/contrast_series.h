// Scattering figures of a component over a range of solvent D2O fractions, computed
// from what it is made of, and the match point where its contrast vanishes.
#ifndef QUORVANE_SCATTERING_CONTRAST_SERIES_H_
#define QUORVANE_SCATTERING_CONTRAST_SERIES_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "residues/chemistry.h"
#include "scattering/solvent.h"

// One kind of unit in a component, how many of it (fractional for ambiguity codes,
// negative for what is taken away), and the deuterated fraction of its carbon-bound
// hydrogens.
struct Part {
  Unit unit;
  double count;
  double deuteration;
};

// A component: its parts in a fixed order (the order of the sums); when above 0, a
// volume that replaces the sum of the parts' volumes (from a partial specific volume,
// or a formula's stated volume or density); the share of its labile hydrogens that
// exchange with the solvent; and the mass its chain ends add (one water per chain).
struct Makeup {
  std::vector<Part> parts;
  double volume = 0.0;
  double exchange = 1.0;
  double water = 0.0;  // g/mol
};

// One component, or a complex of components, in one solvent.
struct SeriesPoint {
  double d2o_fraction;
  double solvent_sld;        // fm per cubic angstrom
  double scattering_length;  // fm
  double contrast;           // fm
  double mass;               // g/mol at this D2O fraction, the chain ends included
  double volume;             // cubic angstrom
  double length_density;     // fm per cubic angstrom
  double contrast_density;   // fm per cubic angstrom
  double electrons;
  double xray_density;             // fm per cubic angstrom
  double xray_solvent_density;     // fm per cubic angstrom
  double forward_scattering;       // I(0), 1/cm; set by the caller that knows the concentration
  double xray_forward_scattering;  // likewise, for X-rays
};

// Figures at D2O fraction `x`: a labile hydrogen is deuterium with probability exchange
// times the solvent's labile share (labile_deuterium). In the console's solvent, with
// exchange 1, a protein's figures are the console calculation's, term for term per
// residue kind.
SeriesPoint series_point(const Makeup& makeup, const Solvent& solvent, double x);

// The mass of the molecule as weighed: labile hydrogens as H, carbon-bound ones as
// deuterated, the chain ends included. I(0) takes its concentration from it.
double weighed_mass(const Makeup& makeup, const Solvent& solvent);

// The hydrogen and deuterium atoms of one molecule at D2O fraction `x`: carbon-bound
// ones deuterated as its parts say, labile ones deuterium with probability exchange
// times the solvent's labile share.
void molecule_hydrogens(const Makeup& makeup, const Solvent& solvent, double x, double* h,
                        double* d);

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

ContrastModel contrast_model(const Makeup& makeup, const Solvent& solvent);
void add_model(const ContrastModel& part, int64_t copies, ContrastModel* sum);

// The D2O fraction at which the contrast (a + b x) - v (s0 + s1 x) vanishes, which may
// lie outside 0..1. Returns false when there is none: no volume, or a contrast that
// does not change with x (the molecule's SLD moves exactly as the solvent's).
bool match_point(const ContrastModel& model, const Solvent& solvent, double* x);

// The deuterated fraction of all carbon-bound hydrogens, the same in every part, that
// puts the match point at D2O fraction `x`; it may lie outside 0..1. Returns false when
// no deuteration moves it (no carbon-bound hydrogens).
bool deuteration_for_match(const Makeup& makeup, const Solvent& solvent, double x,
                           double* deuteration);

// How far the assumptions may be off: the exchange in percentage points of -x, the
// volumes in percent, the deuteration of a deuterated part in percentage points.
struct Uncertainty {
  double exchange = 5.0;
  double volume = 2.0;
  double deuteration = 2.0;
};

// `makeup` with its exchange moved by `exchange`, its volumes scaled by 1 + `volume`
// and the deuteration of its deuterated parts moved by `deuteration` (fractions;
// exchange and deuteration kept within 0..1).
Makeup shifted(const Makeup& makeup, double exchange, double volume, double deuteration);

// The lowest and highest match point (D2O fractions) over the corners of the box of
// `uncertainty` around `members` (each makeup with its copies, all moved alike): the
// match point is monotonic in each assumption, so the corners hold the extremes.
// Returns false when no corner has a match point.
bool match_range(const std::vector<std::pair<const Makeup*, int64_t>>& members,
                 const Solvent& solvent, const Uncertainty& uncertainty, double* low, double* high);

// The same for the deuteration that puts the match point at `x`, over the corners of
// exchange and volume.
bool deuteration_range(const Makeup& makeup, const Solvent& solvent, double x,
                       const Uncertainty& uncertainty, double* low, double* high);

#endif  // QUORVANE_SCATTERING_CONTRAST_SERIES_H_
