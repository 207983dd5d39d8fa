// What only coordinates give: the radius of gyration of a molecule at each contrast,
// and the Stuhrmann parameters that say how its scattering length is spread inside it.
#ifndef QUORVANE_SCATTERING_RADIUS_OF_GYRATION_H_
#define QUORVANE_SCATTERING_RADIUS_OF_GYRATION_H_

#include <vector>

#include "residues/chemistry.h"
#include "scattering/solvent.h"

// A unit (a residue, a ligand) where it sits, in angstrom, with the deuterated fraction
// of its carbon-bound hydrogens and the share of its labile ones that exchange.
struct PlacedUnit {
  Unit unit;
  double deuteration;
  double exchange;
  double x, y, z;
  std::vector<AtomPoint> atoms;  // its non-hydrogen atoms, for curves of atoms
  int copy = 0;                  // the copy of an assembly it belongs to (Component::copies)
};

// Each unit's contrast at D2O fraction `x`: its scattering length less the solvent's
// SLD times its volume, fm.
std::vector<double> unit_contrasts(const std::vector<PlacedUnit>& units, const Solvent& solvent,
                                   double x);

struct Gyration {
  bool defined;    // false near the match point, where the contrast sums to about zero
  double rg2;      // square angstrom; negative where positive and negative contrast meet
  double x, y, z;  // the contrast-weighted centre
};

// Rg^2 = sum c_i |r_i - r_c|^2 / sum c_i + Rg_u^2, with c_i each unit's contrast at D2O
// fraction `x` (unit_contrasts), r_c the contrast-weighted centre, and Rg_u^2 the
// units' own extent: that of a uniform sphere of their mean volume (unit_rg2), over
// which each unit's contrast is spread, as the predicted curves spread it.
Gyration radius_of_gyration(const std::vector<PlacedUnit>& units, const Solvent& solvent, double x);

// The mean volume of the units, cubic angstrom (0 for none).
double mean_unit_volume(const std::vector<PlacedUnit>& units);

// The volume-weighted centre of the units.
void centre_of_volume(const std::vector<PlacedUnit>& units, double* x, double* y, double* z);

// Rg^2 = Rm^2 + alpha / drho - beta / drho^2, fitted by least squares to points
// (1 / drho, Rg^2): Rm, the radius at infinite contrast; alpha, how the scattering
// length density grows outwards (positive) or inwards; beta, how far apart the centres
// of the parts sit. `residual` is the root mean square misfit of Rg^2.
struct StuhrmannFit {
  bool fitted;  // false with fewer than four points, or points that fix no parabola
  double rm2, alpha, beta, residual;
  int points;
};

// Points within this many % D2O of the match point stay out of a Stuhrmann fit: there
// 1/drho runs off towards infinity and the few points nearest it would decide the fit.
constexpr double STUHRMANN_MATCH_DISTANCE = 10.0;

// Whether a point at `d2o_percent` belongs in a Stuhrmann fit: its Rg^2 is defined and
// positive, and it lies at least STUHRMANN_MATCH_DISTANCE from the match point.
bool stuhrmann_uses(const Gyration& g, double d2o_percent, bool has_match, double match_percent);

StuhrmannFit fit_stuhrmann(const std::vector<double>& inverse_contrast,
                           const std::vector<double>& rg2);

#endif  // QUORVANE_SCATTERING_RADIUS_OF_GYRATION_H_
