#include "residues/perkins.h"

namespace {

// S. J. Perkins, "X-ray and neutron scattering analyses of hydration shells: a
// molecular interpretation based on sequence predictions and modelling fits", in
// Modern Physical Methods in Biochemistry, Part B (A. Neuberger and L. L. M. van
// Deenen, eds.), Elsevier (1988), 143-265, as tabulated in the periodictable package.
// Residues in a chain (the water of condensation removed); ASP and GLU carry -1, LYS,
// ARG and HIS +1; labile hydrogens counted into the formula. CYS adds its thiol H.
const PerkinsResidue AMINO_ACIDS[] = {
    {"ALA", "C3H5NO", 1, 91.5},     {"CYS", "C3H5NOS", 2, 105.6},  {"ASP", "C4H4NO3-1", 1, 124.5},
    {"GLU", "C5H6NO3-1", 1, 155.1}, {"PHE", "C9H9NO", 1, 203.4},   {"GLY", "C2H3NO", 1, 66.4},
    {"HIS", "C6H8N3O+1", 3, 167.3}, {"ILE", "C6H11NO", 1, 168.8},  {"LYS", "C6H13N2O+1", 4, 171.3},
    {"LEU", "C6H11NO", 1, 168.8},   {"MET", "C5H9NOS", 1, 170.8},  {"ASN", "C4H6N2O2", 3, 135.2},
    {"PRO", "C5H7NO", 0, 129.3},    {"GLN", "C5H8N2O2", 3, 161.1}, {"ARG", "C6H13N4O+1", 6, 202.1},
    {"SER", "C3H5NO2", 2, 99.1},    {"THR", "C4H7NO2", 2, 122.1},  {"VAL", "C5H9NO", 1, 141.7},
    {"TRP", "C11H10N2O", 2, 237.6}, {"TYR", "C9H9NO2", 2, 203.6},
};

// Carbohydrate residues, the same source: formulas as the residue in a glycan, labile
// hydrogens counted in; the PDB component names that stand for each.
struct Glycan {
  const char* pdb_names[2];
  const char* formula;
  int labile;
  double volume;
};

const Glycan GLYCANS[] = {
    {{"GLC", "BGC"}, "C6H10O5", 3, 171.9},     // glucose
    {{"GAL", "GLA"}, "C6H10O5", 3, 166.8},     // galactose
    {{"MAN", "BMA"}, "C6H10O5", 3, 170.8},     // mannose
    {{"NAG", nullptr}, "C8H13NO5", 3, 222.0},  // N-acetylglucosamine
    {{"NGA", "A2G"}, "C8H13NO5", 3, 232.9},    // N-acetylgalactosamine
    {{"FUC", "FUL"}, "C6H10O4", 3, 160.8},     // fucose, terminal
    {{"SIA", "SLB"}, "C11H16NO8", 5, 326.3},   // sialic acid, terminal
};

struct GlycanUnits {
  Unit units[sizeof GLYCANS / sizeof GLYCANS[0]];
  GlycanUnits() {
    for (size_t i = 0; i < sizeof GLYCANS / sizeof GLYCANS[0]; ++i) {
      std::string error;
      parse_formula(GLYCANS[i].formula, GLYCANS[i].labile, &units[i], &error);
      units[i].volume = GLYCANS[i].volume;
    }
  }
};

}  // namespace

const PerkinsResidue* perkins_residue(const std::string& name) {
  for (const PerkinsResidue& residue : AMINO_ACIDS) {
    if (name == residue.name) {
      return &residue;
    }
  }
  return nullptr;
}

const Unit* glycan_unit(const std::string& pdb_name) {
  static const GlycanUnits table;
  for (size_t i = 0; i < sizeof GLYCANS / sizeof GLYCANS[0]; ++i) {
    for (const char* name : GLYCANS[i].pdb_names) {
      if (name != nullptr && pdb_name == name) {
        return &table.units[i];
      }
    }
  }
  return nullptr;
}
