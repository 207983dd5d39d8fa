// Perkins' residue compositions and volumes (1988): the amino acids, and the
// carbohydrate residues of glycans as they appear in models.
#ifndef QUORVANE_RESIDUES_PERKINS_H_
#define QUORVANE_RESIDUES_PERKINS_H_

#include <string>

#include "residues/chemistry.h"

// An amino-acid residue in a chain, as Perkins tabulates it: formula with its labile
// hydrogens (on N, O, S) and the charge at neutral pH, and its volume.
struct PerkinsResidue {
  const char* name;     // three-letter
  const char* formula;  // every hydrogen counted, labile ones too
  int labile;
  double volume;  // cubic angstrom
};

// Perkins' row of the residue `name` (GLY...), or null. Cysteine is tabulated here with
// its thiol hydrogen, which --disulfides takes away (Perkins counts every cysteine as
// half a disulfide).
const PerkinsResidue* perkins_residue(const std::string& name);

// The unit of a carbohydrate residue named by its PDB component (NAG, MAN, BMA, FUC,
// GAL, SIA...), with Perkins' formula, labile hydrogens and volume; null for others.
const Unit* glycan_unit(const std::string& pdb_name);

#endif  // QUORVANE_RESIDUES_PERKINS_H_
