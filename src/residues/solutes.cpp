#include "residues/solutes.h"

#include <cctype>

namespace {

// Apparent molar volumes at infinite dilution, from the densities of the CRC Handbook of
// Chemistry and Physics (102nd ed.), "Concentrative properties of aqueous solutions",
// 20 C: phiV = M/rho - 1000 (rho - rho0) / (m rho rho0) at molality m up to 1,
// extrapolated to m = 0; about +-0.05/m cm^3/mol. Exchangeable hydrogens from the
// structure. Liquid densities at 20 C (CRC): glycerol 1.2613, ethanol 0.7893 g/cm^3.
const SoluteRow SOLUTES[] = {
    {"NaCl", "NaCl", 0, 15.8, 0.0},
    {"KCl", "KCl", 0, 26.3, 0.0},
    {"MgCl2", "MgCl2", 0, 18.4, 0.0},
    {"CaCl2", "CaCl2", 0, 17.3, 0.0},
    {"Tris", "C4H11NO3", 5, 92.5, 0.0},
    {"NaH2PO4", "NaH2PO4", 2, 29.8, 0.0},
    {"glycerol", "C3H8O3", 3, 71.0, 1.2613},
    {"sucrose", "C12H22O11", 8, 210.5, 0.0},
    {"glucose", "C6H12O6", 5, 112.0, 0.0},
    {"urea", "CH4N2O", 4, 45.0, 0.0},
    {"ammonium-sulfate", "N2H8SO4", 8, 50.9, 0.0},
    {"ethanol", "C2H6O", 1, 54.9, 0.7893},
};

bool same_name(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

const SoluteRow* find_solute(const std::string& name) {
  for (const SoluteRow& row : SOLUTES) {
    if (same_name(name, row.name)) {
      return &row;
    }
  }
  return nullptr;
}

std::string solute_names() {
  std::string names;
  for (const SoluteRow& row : SOLUTES) {
    names += (names.empty() ? "" : ", ") + std::string(row.name);
  }
  return names;
}
