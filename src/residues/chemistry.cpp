#include "residues/chemistry.h"

#include <cctype>

#include "residues/perkins.h"

namespace {

// Bound coherent scattering lengths, incoherent and absorption (2200 m/s) cross
// sections: H. Rauch and W. Waschkowski, Neutron Data Booklet, 2nd ed. (2003), A.-J.
// Dianoux and G. Lander, eds., the table the periodictable package uses too (NIST's
// online copy of Sears 1992 differs slightly: H -3.7390, D 6.671, C 6.6460, O 5.803 fm).
// The protein residue table was built from these lengths. Standard atomic weights
// (IUPAC); electrons of the neutral atom.
const Element ELEMENTS[] = {
    {"H", 1, 1.00794, -3.7409, 80.26, 0.3326}, {"D", 1, 2.014102, 6.674, 2.05, 0.000519},
    {"C", 6, 12.0107, 6.6484, 0.001, 0.0035},  {"N", 7, 14.0067, 9.36, 0.5, 1.9},
    {"O", 8, 15.9994, 5.805, 0.0, 0.00019},    {"P", 15, 30.973761, 5.13, 0.005, 0.172},
    {"S", 16, 32.065, 2.847, 0.007, 0.53},     {"Na", 11, 22.98977, 3.63, 1.62, 0.53},
    {"K", 19, 39.0983, 3.67, 0.27, 2.1},       {"Cl", 17, 35.453, 9.5792, 5.3, 33.5},
    {"Mg", 12, 24.305, 5.375, 0.08, 0.063},    {"Ca", 20, 40.078, 4.7, 0.05, 0.43},
    {"Se", 34, 78.96, 7.97, 0.32, 11.7},       {"Fe", 26, 55.845, 9.45, 0.4, 2.56},
    {"Zn", 30, 65.409, 5.68, 0.077, 1.11},     {"Mn", 25, 54.938049, -3.75, 0.4, 13.3},
    {"Cu", 29, 63.546, 7.718, 0.55, 3.78},     {"F", 9, 18.998403, 5.654, 0.0008, 0.0096},
    {"Br", 35, 79.904, 6.79, 0.1, 6.9},        {"I", 53, 126.90447, 5.28, 0.31, 6.15},
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
  double hydrogens = 0.0;
  size_t i = 0;
  while (i < formula.size() && std::isupper(static_cast<unsigned char>(formula[i]))) {
    std::string symbol(1, formula[i++]);
    while (i < formula.size() && std::islower(static_cast<unsigned char>(formula[i]))) {
      symbol += formula[i++];
    }
    const Element* element = find_element(symbol);
    if (element == nullptr) {
      *error = "'" + symbol + "' is no element the planner knows (see --help)";
      return false;
    }
    long count = 0;
    if (!read_count(formula, &i, &count)) {
      *error = "the count after '" + symbol + "' is not a whole number from 1 to 1000000";
      return false;
    }
    const auto n = static_cast<double>(count);
    unit->mass += n * element->mass;
    unit->length += n * element->length;
    unit->electrons += n * element->electrons;
    hydrogens += symbol == "H" ? n : 0.0;
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
