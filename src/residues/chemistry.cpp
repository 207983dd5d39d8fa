#include "residues/chemistry.h"

#include <cctype>
#include <string>
#include <vector>

#include "residues/perkins.h"

namespace {

// Bound coherent scattering lengths, incoherent and absorption (2200 m/s) cross
// sections: H. Rauch and W. Waschkowski, Neutron Data Booklet, 2nd ed. (2003), A.-J.
// Dianoux and G. Lander, eds., the table the periodictable package uses too (NIST's
// online copy of Sears 1992 differs slightly: H -3.7390, D 6.671, C 6.6460, O 5.803 fm).
// The protein residue table was built from these lengths. Standard atomic weights
// (IUPAC); electrons of the neutral atom.
const Element ELEMENTS[] = {
    {"H", 1, 1.00794, -3.7409, 80.26, 0.3326},
    {"D", 1, 2.014102, 6.674, 2.05, 0.000519},
    {"C", 6, 12.0107, 6.6484, 0.001, 0.0035},
    {"N", 7, 14.0067, 9.36, 0.5, 1.9},
    {"O", 8, 15.9994, 5.805, 0.0, 0.00019},
    {"P", 15, 30.973761, 5.13, 0.005, 0.172},
    {"S", 16, 32.065, 2.847, 0.007, 0.53},
    {"Na", 11, 22.98977, 3.63, 1.62, 0.53},
    {"K", 19, 39.0983, 3.67, 0.27, 2.1},
    {"Cl", 17, 35.453, 9.5792, 5.3, 33.5},
    {"Mg", 12, 24.305, 5.375, 0.08, 0.063},
    {"Ca", 20, 40.078, 4.7, 0.05, 0.43},
    {"Se", 34, 78.96, 7.97, 0.32, 11.7},
    {"Fe", 26, 55.845, 9.45, 0.4, 2.56},
    {"Zn", 30, 65.409, 5.68, 0.077, 1.11},
    {"Mn", 25, 54.938049, -3.75, 0.4, 13.3},
    {"Cu", 29, 63.546, 7.718, 0.55, 3.78},
    {"F", 9, 18.998403, 5.654, 0.0008, 0.0096},
    {"Br", 35, 79.904, 6.79, 0.1, 6.9},
    {"I", 53, 126.90447, 5.28, 0.31, 6.15},
    // The booklet's other elements, in order of Z: the metals of metalloproteins and
    // their ligands, salts, heavy-atom derivatives. Masses of radioactive elements are
    // those of their longest-lived isotope.
    {"He", 2, 4.002602, 3.26, 0.0, 0.00747},
    {"Li", 3, 6.941, -1.9, 0.92, 70.5},
    {"Be", 4, 9.012182, 7.79, 0.0018, 0.0076},
    {"B", 5, 10.811, 5.3, 1.7, 767.0},
    {"Ne", 10, 20.1797, 4.566, 0.008, 0.039},
    {"Al", 13, 26.981538, 3.449, 0.0082, 0.231},
    {"Si", 14, 28.0855, 4.15071, 0.004, 0.171},
    {"Ar", 18, 39.948, 1.909, 0.225, 0.675},
    {"Sc", 21, 44.95591, 12.1, 4.5, 27.5},
    {"Ti", 22, 47.867, -3.37, 2.87, 6.09},
    {"V", 23, 50.9415, -0.443, 5.08, 5.08},
    {"Cr", 24, 51.9961, 3.635, 1.83, 3.05},
    {"Co", 27, 58.9332, 2.49, 4.8, 37.18},
    {"Ni", 28, 58.6934, 10.3, 5.2, 4.49},
    {"Ga", 31, 69.723, 7.288, 0.16, 2.75},
    {"Ge", 32, 72.64, 8.185, 0.18, 2.2},
    {"As", 33, 74.9216, 6.58, 0.06, 4.5},
    {"Kr", 36, 83.798, 7.81, 0.01, 25.0},
    {"Rb", 37, 85.4678, 7.08, 0.5, 0.38},
    {"Sr", 38, 87.62, 7.02, 0.06, 1.28},
    {"Y", 39, 88.90585, 7.75, 0.15, 1.28},
    {"Zr", 40, 91.224, 7.16, 0.02, 0.185},
    {"Nb", 41, 92.90638, 7.054, 0.0024, 1.15},
    {"Mo", 42, 95.94, 6.715, 0.04, 2.48},
    {"Tc", 43, 98, 6.8, 0.5, 20.0},
    {"Ru", 44, 101.07, 7.02, 0.4, 2.56},
    {"Rh", 45, 102.9055, 5.9, 0.3, 144.8},
    {"Pd", 46, 106.42, 5.91, 0.093, 6.9},
    {"Ag", 47, 107.8682, 5.922, 0.58, 63.3},
    {"Cd", 48, 112.411, 4.83, 3.46, 2520.0},
    {"In", 49, 114.818, 4.065, 0.54, 193.8},
    {"Sn", 50, 118.71, 6.225, 0.022, 0.626},
    {"Sb", 51, 121.76, 5.57, 0.0, 4.91},
    {"Te", 52, 127.6, 5.68, 0.09, 4.7},
    {"Xe", 54, 131.293, 4.69, 0.0, 23.9},
    {"Cs", 55, 132.90545, 5.42, 0.21, 29.0},
    {"Ba", 56, 137.327, 5.07, 0.15, 1.1},
    {"La", 57, 138.9055, 8.24, 1.13, 8.97},
    {"Ce", 58, 140.116, 4.84, 0.0, 0.63},
    {"Pr", 59, 140.90765, 4.58, 0.015, 11.5},
    {"Nd", 60, 144.24, 7.69, 9.2, 50.5},
    {"Pm", 61, 145, 12.6, 1.3, 168.4},
    {"Sm", 62, 150.36, 0.0, 39.0, 5922.0},
    {"Eu", 63, 151.964, 5.3, 2.5, 4530.0},
    {"Gd", 64, 157.25, 9.5, 151.0, 49700.0},
    {"Tb", 65, 158.92534, 7.34, 0.004, 23.4},
    {"Dy", 66, 162.5, 16.9, 54.4, 994.0},
    {"Ho", 67, 164.93032, 8.44, 0.36, 64.7},
    {"Er", 68, 167.259, 7.79, 1.1, 159.0},
    {"Tm", 69, 168.93421, 7.07, 0.1, 100.0},
    {"Yb", 70, 173.04, 12.41, 4.0, 34.8},
    {"Lu", 71, 174.967, 7.21, 0.7, 74.0},
    {"Hf", 72, 178.49, 7.77, 2.6, 104.1},
    {"Ta", 73, 180.9479, 6.91, 0.01, 20.6},
    {"W", 74, 183.84, 4.755, 1.63, 18.3},
    {"Re", 75, 186.207, 9.2, 0.9, 89.7},
    {"Os", 76, 190.23, 10.7, 0.3, 16.0},
    {"Ir", 77, 192.217, 10.6, 0.0, 425.0},
    {"Pt", 78, 195.078, 9.6, 0.13, 10.3},
    {"Au", 79, 196.96655, 7.9, 0.43, 98.65},
    {"Hg", 80, 200.59, 12.595, 6.6, 372.3},
    {"Tl", 81, 204.3833, 8.776, 0.21, 3.43},
    {"Pb", 82, 207.2, 9.401, 0.003, 0.171},
    {"Bi", 83, 208.98038, 8.532, 0.0084, 0.0338},
    {"Ra", 88, 226, 10.0, 0.0, 12.8},
    {"Th", 90, 232.0381, 10.31, 0.0, 7.37},
    {"Pa", 91, 231.03588, 9.1, 0.1, 200.6},
    {"U", 92, 238.02891, 8.417, 0.005, 7.57},
    {"Np", 93, 237, 10.55, 0.5, 175.9},
    {"Pu", 94, 244, 7.7, 0.2, 1017.3},
    {"Am", 95, 243, 8.3, 0.3, 75.3},
    {"Cm", 96, 247, 9.5, 0.0, 16.2},
};

// Electrons of each table row: those of the neutral residue (a charged side chain
// gains or loses a proton, not an electron). GLY is C2H3NO: 12 + 3 + 7 + 8.
const int RESIDUE_ELECTRONS[RESIDUE_ROWS] = {30, 38, 54, 62, 62, 78, 86, 98, 60, 68, 46,
                                             54, 60, 68, 70, 84, 72, 70, 54, 52, 0};

// Nucleotides as they sit in a chain: base, sugar and one phosphate as the sodium salt,
// the water of the link removed. Formulas with every hydrogen as H; labile hydrogens on
// N and O. Volumes: S. J. Perkins, Modern Physical Methods in Biochemistry Part B
// (New Comprehensive Biochemistry 11B), 143-265 (1988).
struct Nucleotide {
  const char* letter;
  const char* formula;
  int labile;
  double volume;
};
const Nucleotide DNA[] = {{"A", "C10H11N5O5PNa", 2, 289},
                          {"C", "C9H11N3O6PNa", 2, 278},
                          {"G", "C10H11N5O6PNa", 3, 294},
                          {"T", "C10H12N2O7PNa", 1, 301}};
const Nucleotide RNA[] = {{"A", "C10H11N5O6PNa", 3, 299},
                          {"C", "C9H11N3O7PNa", 3, 288},
                          {"G", "C10H11N5O7PNa", 4, 304},
                          {"U", "C9H10N2O8PNa", 2, 284}};

Unit nucleotide(const Nucleotide& n) {
  Unit unit{};
  std::string error;
  parse_formula(n.formula, n.labile, &unit, &error);
  unit.volume = n.volume;
  return unit;
}

// A protein residue from its composition (Perkins' rows) with the element table.
Unit composed_residue(int32_t row, UnitSet set) {
  Unit unit{};
  const PerkinsResidue* residue = perkins_residue(residue_table[row].name);
  if (residue == nullptr) {
    return unit;  // row 20 names no residue and adds nothing
  }
  std::string error;
  parse_formula(residue->formula, residue->labile, &unit, &error);
  unit.volume =
      set == UnitSet::kPerkins ? residue->volume : static_cast<double>(residue_table[row].volume);
  return unit;
}

struct UnitTables {
  Unit protein[3][RESIDUE_ROWS];  // by UnitSet
  Unit dna[4];
  Unit rna[4];
  UnitTables() {
    for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
      protein[static_cast<int>(UnitSet::kConsole)][row] = unit_of(residue_table[row]);
      for (UnitSet set : {UnitSet::kTable, UnitSet::kPerkins}) {
        protein[static_cast<int>(set)][row] = composed_residue(row, set);
      }
    }
    for (int i = 0; i < 4; ++i) {
      dna[i] = nucleotide(DNA[i]);
      rna[i] = nucleotide(RNA[i]);
    }
  }
};

const UnitTables& tables() {
  static const UnitTables instance;
  return instance;
}

// Reads a count at formula[*i] (none: 1).
bool read_count(const std::string& formula, size_t* i, long* count) {
  if (*i >= formula.size() || !std::isdigit(static_cast<unsigned char>(formula[*i]))) {
    *count = 1;
    return true;
  }
  *count = 0;
  while (*i < formula.size() && std::isdigit(static_cast<unsigned char>(formula[*i]))) {
    *count = *count * 10 + (formula[(*i)++] - '0');
    if (*count > 1000000) {
      return false;
    }
  }
  return *count > 0;
}

// So many atoms of one element.
struct Atoms {
  const Element* element;
  double count;
};

constexpr int MAX_GROUP_DEPTH = 8;  // (((...))) deeper than any formula a chemist writes
constexpr double MAX_ATOMS = 1e9;   // of one element, groups multiplied out

// Reads element symbols and groups in parentheses, each with its count, from formula[*i]
// up to a ')' that closes the group at `depth` (the caller's to consume) or to what is
// no symbol; the atoms found go into `*atoms`. False with `*error` for an unknown
// element, a bad count or an unclosed group.
bool read_atoms(const std::string& formula, size_t* i, int depth, std::vector<Atoms>* atoms,
                std::string* error) {
  while (*i < formula.size()) {
    const char c = formula[*i];
    std::vector<Atoms> found;
    std::string what;
    if (c == '(') {
      if (depth >= MAX_GROUP_DEPTH) {
        *error = "groups nest more than " + std::to_string(MAX_GROUP_DEPTH) + " deep";
        return false;
      }
      ++*i;
      if (!read_atoms(formula, i, depth + 1, &found, error)) {
        return false;
      }
      if (*i >= formula.size() || formula[*i] != ')' || found.empty()) {
        *error = "a '(' without its ')' or with nothing inside";
        return false;
      }
      ++*i;
      what = "')'";
    } else if (std::isupper(static_cast<unsigned char>(c))) {
      std::string symbol(1, formula[(*i)++]);
      while (*i < formula.size() && std::islower(static_cast<unsigned char>(formula[*i]))) {
        symbol += formula[(*i)++];
      }
      const Element* element = find_element(symbol);
      if (element == nullptr) {
        *error = "'" + symbol + "' is no element the planner knows (see --help)";
        return false;
      }
      found.push_back({element, 1.0});
      what = "'" + symbol + "'";
    } else {
      break;
    }
    long count = 0;
    if (!read_count(formula, i, &count)) {
      *error = "the count after " + what + " is not a whole number from 1 to 1000000";
      return false;
    }
    for (Atoms& a : found) {
      a.count *= static_cast<double>(count);
      if (a.count > MAX_ATOMS) {
        *error = "more than 1e9 atoms of " + std::string(a.element->symbol);
        return false;
      }
      atoms->push_back(a);
    }
  }
  return true;
}

}  // namespace

const Element* find_element(const std::string& symbol) {
  for (const Element& element : ELEMENTS) {
    if (symbol == element.symbol) {
      return &element;
    }
  }
  return nullptr;
}

int element_count() {
  return static_cast<int>(sizeof ELEMENTS / sizeof ELEMENTS[0]);
}

const Element& element_at(int index) {
  return ELEMENTS[index];
}

HydrogenSteps element_steps() {
  const Element& h = *find_element("H");
  const Element& d = *find_element("D");
  return {d.length - h.length, d.mass - h.mass};
}

double unit_weighed_mass(const Unit& unit) {
  return unit.mass - unit.exchangeable_h * element_steps().mass;
}

Unit selenium_for_sulfur() {
  const Element& se = *find_element("Se");
  const Element& s = *find_element("S");
  return {se.mass - s.mass,
          0.0,
          se.length - s.length,
          0.0,
          0.0,
          static_cast<double>(se.electrons - s.electrons)};
}

Unit unit_of(const ResidueRecord& record) {
  return {record.mass,
          record.volume,
          record.scattering_length,
          static_cast<double>(record.nonexchangeable_h),
          static_cast<double>(record.exchangeable_h),
          static_cast<double>(RESIDUE_ELECTRONS[record.number])};
}

int unit_count(ChainKind kind) {
  return kind == ChainKind::kProtein ? RESIDUE_ROWS : 4;
}

const Unit& chain_unit(ChainKind kind, int index, UnitSet set) {
  switch (kind) {
    case ChainKind::kDna:
      return tables().dna[index];
    case ChainKind::kRna:
      return tables().rna[index];
    case ChainKind::kProtein:
      break;
  }
  return tables().protein[static_cast<int>(set)][index];
}

const char* unit_name(ChainKind kind, int index) {
  switch (kind) {
    case ChainKind::kDna:
      return DNA[index].letter;
    case ChainKind::kRna:
      return RNA[index].letter;
    case ChainKind::kProtein:
      break;
  }
  return residue_table[index].name;
}

bool parse_formula(const std::string& formula, double labile, Unit* unit, std::string* error) {
  *unit = Unit{};
  std::vector<Atoms> atoms;
  size_t i = 0;
  if (!read_atoms(formula, &i, 0, &atoms, error)) {
    return false;
  }
  double hydrogens = 0.0;
  for (const Atoms& a : atoms) {
    unit->mass += a.count * a.element->mass;
    unit->length += a.count * a.element->length;
    unit->electrons += a.count * a.element->electrons;
    hydrogens += std::string(a.element->symbol) == "H" ? a.count : 0.0;
  }
  long charge = 0;
  if (i < formula.size() && (formula[i] == '+' || formula[i] == '-')) {
    const bool negative = formula[i++] == '-';
    if (!read_count(formula, &i, &charge)) {
      *error = "the charge is not a whole number";
      return false;
    }
    charge = negative ? -charge : charge;
  }
  if (i != formula.size() || formula.empty()) {
    *error = "'" + formula + "' is not a formula such as C12H22O11 (element symbols and counts)";
    return false;
  }
  if (labile > hydrogens) {
    *error = "more labile hydrogens than the formula's hydrogens";
    return false;
  }
  unit->electrons -= static_cast<double>(charge);
  // The residue table's convention: labile hydrogens counted as deuterium.
  const HydrogenSteps steps = element_steps();
  unit->mass += labile * steps.mass;
  unit->length += labile * steps.length;
  unit->nonexchangeable_h = hydrogens - labile;
  unit->exchangeable_h = labile;
  return true;
}
