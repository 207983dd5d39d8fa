// The chemistry the planner needs beyond the residue table: element data, the
// nucleotides of DNA and RNA, chemical formulas, and the units chains are built of.
#ifndef QUORVANE_RESIDUES_CHEMISTRY_H_
#define QUORVANE_RESIDUES_CHEMISTRY_H_

#include <cstddef>
#include <string>

#include "residues/residue_table.h"

constexpr double AVOGADRO = 6.02214076e23;     // per mol
constexpr double ELECTRON_RADIUS = 2.8179403;  // fm: X-ray scattering length of an electron
constexpr double ANGSTROM3_PER_CM3_MOL = 1e24 / AVOGADRO;  // cm^3/mol to cubic angstrom

struct Element {
  const char* symbol;
  int electrons;      // of the neutral atom
  double mass;        // g/mol
  double length;      // fm, bound coherent neutron scattering length
  double incoherent;  // barn, bound incoherent cross section
  double absorption;  // barn, absorption cross section at 2200 m/s (1.798 A)
};

// The element of that symbol (H, D, C, Se...), or null.
const Element* find_element(const std::string& symbol);

// The elements the planner knows, in the table's order, for lists that name them.
int element_count();
const Element& element_at(int index);

// One unit of a chain (a residue, a nucleotide, a whole molecule of a formula) in the
// residue table's convention: its mass and length count the labile hydrogens as
// deuterium and the carbon-bound ones as hydrogen.
struct Unit {
  double mass;               // g/mol
  double volume;             // cubic angstrom
  double length;             // fm
  double nonexchangeable_h;  // hydrogens that never exchange (deuteration applies to them)
  double exchangeable_h;     // hydrogens that take the solvent's H/D ratio
  double electrons;          // for the X-ray figures; an ion's charge counted
};

// What replacing one sulfur by selenium adds to a unit (selenocysteine, MSE).
Unit selenium_for_sulfur();

// What replacing one hydrogen by deuterium adds.
struct HydrogenSteps {
  double length;  // fm
  double mass;    // g/mol
};

// The steps of the element table (D - H): 10.4149 fm, 1.006162 g/mol.
HydrogenSteps element_steps();

// The mass of a unit as weighed: its labile hydrogens as H.
double unit_weighed_mass(const Unit& unit);

// A non-hydrogen atom of a model where it sits, in angstrom, by its element symbol.
struct AtomPoint {
  char element[3];
  double x, y, z;
};

// Where a copy of a model sits: x' = r x + t, r a rotation by rows, t in angstrom.
struct RigidMotion {
  double r[9];
  double t[3];
};

// A row of residue_table as a unit, every value widened exactly, with its electrons.
Unit unit_of(const ResidueRecord& record);

enum class ChainKind { kProtein, kDna, kRna };

// Which units proteins are made of; nucleotides are the same in every set.
enum class UnitSet {
  kConsole,  // the console calculator's table as it is stored, in single precision
  kTable,    // the residues' compositions with the element table; the table's volumes
  kPerkins,  // the same compositions with Perkins' volumes (1988)
};

// How many units a chain kind has (21 table rows; 4 nucleotides), each unit, and its
// name (GLY..., or the nucleotide's letter).
int unit_count(ChainKind kind);
const Unit& chain_unit(ChainKind kind, int index, UnitSet set = UnitSet::kConsole);
const char* unit_name(ChainKind kind, int index);

// The unit of one molecule of `formula`: element symbols with counts (C12H22O11; D for
// deuterium, which stays deuterium), with an optional charge at the end (Mg+2, Cl-,
// SO4-2); `labile` of its hydrogens exchange with the solvent, and are counted as
// deuterium by the element table. The volume is left 0.
// Returns false with `*error` naming what is wrong (an unknown element, a malformed
// count, more labile hydrogens than hydrogens).
bool parse_formula(const std::string& formula, double labile, Unit* unit, std::string* error);

#endif  // QUORVANE_RESIDUES_CHEMISTRY_H_
