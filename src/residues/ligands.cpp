#include "residues/ligands.h"

namespace {

// Formulas and formal charges of the wwPDB Chemical Component Dictionary's entries
// (_chem_comp.formula and _chem_comp.pdbx_formal_charge); the labile hydrogens are those
// on N, O or S in the entry's structure. HEM, HEC, GTP, FMN and AMP are checked against
// the entries in a test; the others are the compounds' formulas in the same protonation. The
// entries are the hetero groups most common in the PDB less the ions and glycans (an ion has no
// hydrogen to miss; NAG, MAN and the other glycan residues have Perkins' units): heme,
// nucleotides and their cofactors, sugars and detergents, buffers, cryoprotectants.
const LigandFormula LIGANDS[] = {
    // Hemes and cofactors
    {"HEM", "C34H32FeN4O4", 2},
    {"HEC", "C34H34FeN4O4", 2},
    {"FAD", "C27H33N9O15P2", 10},
    {"FMN", "C17H21N4O9P", 6},
    {"NAD", "C21H27N7O14P2", 9},
    {"NAI", "C21H29N7O14P2", 10},
    {"NAP", "C21H28N7O17P3", 10},
    {"NDP", "C21H30N7O17P3", 11},
    {"PLP", "C8H10NO6P", 3},
    {"COA", "C21H36N7O16P3S", 11},
    {"SAH", "C14H20N6O5S", 7},
    // Nucleotides
    {"AMP", "C10H14N5O7P", 6},
    {"ADP", "C10H15N5O10P2", 7},
    {"ATP", "C10H16N5O13P3", 8},
    {"GDP", "C10H15N5O11P2", 8},
    {"GTP", "C10H16N5O14P3", 9},
    // Sugars and detergents
    {"GLC", "C6H12O6", 5},
    {"BGC", "C6H12O6", 5},
    {"SUC", "C12H22O11", 8},
    {"TRE", "C12H22O11", 8},
    {"BOG", "C14H28O6", 4},
    // Buffers and salts of organic acids
    {"TRS", "C4H12NO3+1", 6},
    {"EPE", "C8H18N2O4S", 2},
    {"MES", "C6H13NO4S", 1},
    {"IMD", "C3H5N2+1", 2},
    {"CIT", "C6H8O7", 4},
    {"TLA", "C4H6O6", 4},
    {"MLI", "C3H2O4-2", 0},
    {"ACT", "C2H3O2-1", 0},
    {"ACY", "C2H4O2", 1},
    {"FMT", "CH2O2", 1},
    {"NH4", "H4N+1", 4},
    // Cryoprotectants, precipitants and reducing agents
    {"GOL", "C3H8O3", 3},
    {"EDO", "C2H6O2", 2},
    {"PEG", "C4H10O3", 2},
    {"PGE", "C6H14O4", 2},
    {"PG4", "C8H18O5", 2},
    {"1PE", "C10H22O6", 2},
    {"P6G", "C12H26O7", 2},
    {"MPD", "C6H14O2", 2},
    {"IPA", "C3H8O", 1},
    {"EOH", "C2H6O", 1},
    {"MOH", "CH4O", 1},
    {"DMS", "C2H6OS", 0},
    {"BME", "C2H6OS", 2},
    {"DTT", "C4H10O2S2", 4},
};

}  // namespace

const LigandFormula* find_ligand(const std::string& name) {
  for (const LigandFormula& ligand : LIGANDS) {
    if (name == ligand.name) {
      return &ligand;
    }
  }
  return nullptr;
}

int ligand_count() {
  return static_cast<int>(sizeof LIGANDS / sizeof LIGANDS[0]);
}

const LigandFormula& ligand_at(int index) {
  return LIGANDS[index];
}
