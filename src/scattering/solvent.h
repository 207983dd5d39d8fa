// The solvent of a sample, computed once and handed to every computation: its neutron
// and X-ray scattering length densities at any D2O fraction, the share of deuterium its
// exchangeable hydrogens carry, and the hydrogen steps that go with them.
#ifndef QUORVANE_SCATTERING_SOLVENT_H_
#define QUORVANE_SCATTERING_SOLVENT_H_

#include <string>
#include <vector>

#include "residues/chemistry.h"

// A solute of the buffer, as given.
struct BufferSolute {
  std::string name;           // NaCl, or the formula of one given by formula
  std::string concentration;  // as typed: 150mM, 10%v/v
  Unit unit;                  // labile hydrogens counted as deuterium, as in every unit
  double molar;               // mol/L of the solution
  double volume;              // cubic angstrom of solution each molecule takes (apparent)
};

struct Solvent {
  bool console;        // the console calculator's solvent line and hydrogen steps
  double temperature;  // C
  double d2o_purity;   // the share of D among the hydrogens of the heavy water
  std::vector<BufferSolute> buffer;
  HydrogenSteps steps;  // what exchanging or deuterating one hydrogen adds
  // The SLD as a line in the D2O volume fraction x, fm per cubic angstrom:
  // at_h2o + per_d2o x (buffer included).
  double sld_at_h2o, sld_per_d2o;
  double xray_at_h2o, xray_per_d2o;  // likewise for X-rays
  double water_share;                // volume fraction of water; the rest is buffer
};

// The console calculator's solvent: its SLD line (rounded to single precision at each
// point, as the console rounds it), its hydrogen steps, and the X-ray figures of water
// at 0.9982 (H2O) and 1.1056 g/cm^3 (D2O).
Solvent console_solvent();

// H2O and heavy water of `d2o_purity` (a fraction) mixed by volume at `celsius`, with
// the buffer's solutes taking their apparent volumes: every figure from the element
// table and the water densities (scattering/water.h).
Solvent make_solvent(double celsius, double d2o_purity, const std::vector<BufferSolute>& buffer);

// The solvent's SLD at D2O fraction `x`, fm per cubic angstrom.
double solvent_sld(const Solvent& solvent, double x);
// The solvent's X-ray SLD at `x`, fm per cubic angstrom.
double solvent_xray_sld(const Solvent& solvent, double x);

// The share of deuterium the solvent's exchangeable hydrogens carry at `x`: x times the
// heavy water's purity. A labile hydrogen of a molecule that exchanges with fraction e
// is deuterium with probability e times this. (The atom fraction of D in a mixture by
// volume differs from x by at most 0.1 % D2O, which the field's calculators ignore too.)
double labile_deuterium(const Solvent& solvent, double x);

// A buffer solute from its name in the table of solutes (NaCl, glycerol...) or from
// FORMULA:VOLUME_A3:LABILE after '=', and a concentration: 150mM, 1M, 5%w/v (g per 100
// mL), 10%v/v (tabulated liquids). Returns false with `*error` saying what is wrong.
bool parse_buffer_solute(const std::string& text, BufferSolute* solute, std::string* error);

#endif  // QUORVANE_SCATTERING_SOLVENT_H_
