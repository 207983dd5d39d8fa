// Atomic models (PDB and mmCIF, plain or gzipped) as the planner sums them: the
// polymer chains of the first model, each residue as a unit of its chain type placed
// at the mean position of its non-hydrogen atoms, and the ligands beside them.
#ifndef QUORVANE_STRUCTURE_STRUCTURE_READER_H_
#define QUORVANE_STRUCTURE_STRUCTURE_READER_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "residues/chemistry.h"

// A polymer residue: the unit of its chain type (chain_unit), where it sits (angstrom),
// and whether its sulfur is selenium (MSE).
struct Site {
  int unit;
  bool selenium;
  // A simulation program's protonation or bond that the unit's row does not have
  // (HSD: neutral histidine, -1; ASH: protonated aspartate, +1; CYX: a cysteine in a
  // disulfide, -1 with its electron): labile hydrogens to add, and electrons.
  double labile_change;
  double electron_change;
  double x, y, z;
  std::vector<AtomPoint> atoms;  // its non-hydrogen atoms, alternate locations once
};

// A ligand as modelled: its element counts as one unit (hydrogens only where the model
// has them, none labile; volume from its mass at 0.73 cm^3/g), and its place. A
// carbohydrate residue of a glycan (NAG, MAN...) is Perkins' unit of it instead.
struct LigandSite {
  std::string name;
  Unit unit;
  bool glycan;
  double x, y, z;
  std::vector<AtomPoint> atoms;
  int copy = 0;  // of StructureModel::copies, as its chain's
};

struct StructureChain {
  std::string name;
  ChainKind kind;
  std::vector<Site> sites;  // polymer residues in order, alternate conformations once
  std::vector<LigandSite> ligands;
  std::vector<std::pair<std::string, int>> modified;  // MSE->MET and the like, counted
  std::vector<std::string> skipped_ligands;           // elements the planner lacks
  int64_t unknown = 0;  // polymer residues that name no unit of the chain type
  std::string first_unknown;
  int64_t sequence_length = 0;  // of its sequence records; 0 without them
  int64_t missing = 0;          // in the sequence records but not modelled
  int64_t waters = 0;
  bool first_phosphate = true;  // DNA, RNA: the model has the 5' residue's phosphorus
  int copy = 0;                 // of StructureModel::copies
};

struct StructureModel {
  // Asked of the reader: the biological assembly to build from the first model (its
  // place among the file's, from 1), or 0 for the model as it is.
  int assembly = 0;
  std::vector<StructureChain> chains;
  // An assembly built by operators that form a group (an icosahedral capsid's sixty
  // rotations, a dimer's two-fold): the motion of each copy, copy 0 the identity, each
  // chain's copy being the operator it was made by. Empty for anything else, including
  // an assembly of several generators or with operators that do not close.
  std::vector<RigidMotion> copies;
  // What may be wrong with a file that was read all the same: a PDB file without its
  // END record, chains of the sequence records with no residue in the model.
  std::vector<std::string> warnings;
};

// The path names a structure file: .pdb, .ent, .cif or .mmcif, each also with .gz.
bool is_structure_path(const std::string& path);

// Reads the first model of a structure file, or with model->assembly the assembly the
// file declares (PDB REMARK 350, mmCIF pdbx_struct_assembly) built from it, each copy
// of a chain named anew. Returns false with a one-line `*error` naming the file when it
// cannot be read, is gzipped and cut short or damaged, ends in the middle of a line, is
// not a structure, holds no polymer chain, or declares no such assembly. A file that
// declares an assembly of more copies than it holds, read as it is, gets a warning
// naming --assembly.
bool read_structure(const std::string& path, StructureModel* model, std::string* error);

// The same for the file's bytes, already read; `name` stands for the file in messages,
// and its extension (less .gz) gives the format, else the contents do.
bool read_structure_bytes(const std::string& bytes, const std::string& name, StructureModel* model,
                          std::string* error);

#endif  // QUORVANE_STRUCTURE_STRUCTURE_READER_H_
