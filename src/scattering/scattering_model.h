// The physics both programs share: how a residue's mass and scattering length change
// when its hydrogens are replaced by deuterium, and the scattering length density of
// a H2O/D2O solvent.
#ifndef QUORVANE_SCATTERING_SCATTERING_MODEL_H_
#define QUORVANE_SCATTERING_SCATTERING_MODEL_H_

#include "residues/chemistry.h"
#include "residues/residue_table.h"

constexpr double WATER_MASS = 18.01528;  // g/mol, added once per protein
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

// The terms of unit `u` when a labile hydrogen is hydrogen with probability `h` and a
// carbon-bound one is deuterium with probability `d`, each deuterium adding `steps`.
ResidueTerms residue_terms(const Unit& u, double h, double d, const HydrogenSteps& steps);

// The console calculator's steps: EXCHANGE_LENGTH_STEP and EXCHANGE_MASS_STEP.
constexpr HydrogenSteps CONSOLE_STEPS{EXCHANGE_LENGTH_STEP, EXCHANGE_MASS_STEP};

// The console-era X-ray solvent for the D2O fraction `x`, in fm per cubic angstrom: 10
// electrons per water molecule, H2O at 0.9982 g/cm^3 and D2O at 1.1056 g/cm^3, mixed by
// volume.
double xray_solvent_density(double x);

// Forward scattering I(0) in 1/cm of molecules weighed at `mass` g/mol, `conc` mg/mL of
// them, with excess scattering length `contrast` fm (their scattering length less the
// solvent's over their volume; electrons times r_e for X-rays): c N_A contrast^2 / M.
double forward_scattering(double conc, double contrast, double mass);

#endif  // QUORVANE_SCATTERING_SCATTERING_MODEL_H_
