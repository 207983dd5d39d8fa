// Buffer solutes the planner knows by name: their formulas, exchangeable hydrogens and
// the volumes they take in water.
#ifndef QUORVANE_RESIDUES_SOLUTES_H_
#define QUORVANE_RESIDUES_SOLUTES_H_

#include <string>

struct SoluteRow {
  const char* name;     // as typed after --buffer, in any case
  const char* formula;  // every hydrogen counted, exchangeable ones too
  int labile;           // hydrogens bound to N, O or S, which exchange with the solvent
  double molar_volume;  // cm^3/mol, apparent, at infinite dilution in water at 20 C
  double density;       // g/cm^3 of the pure liquid at 20 C, for %v/v; 0: not a liquid
};

// The row of `name` (NaCl, glycerol, Tris...; case does not matter), or null.
const SoluteRow* find_solute(const std::string& name);

// The names, for the help and the messages that list them.
std::string solute_names();

#endif  // QUORVANE_RESIDUES_SOLUTES_H_
