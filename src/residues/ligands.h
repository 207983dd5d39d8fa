// Formulas of the hetero groups that occur most in the PDB, for ligands whose models
// lack their hydrogens (as nearly every crystal structure does).
#ifndef QUORVANE_RESIDUES_LIGANDS_H_
#define QUORVANE_RESIDUES_LIGANDS_H_

#include <string>

struct LigandFormula {
  const char* name;     // the Chemical Component Dictionary's identifier: HEM, NAD, GOL
  const char* formula;  // its _chem_comp.formula, with the formal charge after it
  int labile;           // hydrogens on N, O and S, which exchange with the solvent
};

// The row for a ligand's three-letter name, or nullptr when the table has none.
const LigandFormula* find_ligand(const std::string& name);

// The number of rows, and each, for tests and lists.
int ligand_count();
const LigandFormula& ligand_at(int index);

#endif  // QUORVANE_RESIDUES_LIGANDS_H_
