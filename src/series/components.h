// The planner's components: each sequence file on the command line, each record of a
// FASTA file, or a molecule given by formula, with its options and what it is made of.
#ifndef QUORVANE_SERIES_COMPONENTS_H_
#define QUORVANE_SERIES_COMPONENTS_H_

#include <string>
#include <vector>

#include "residues/composition.h"
#include "scattering/contrast_series.h"
#include "scattering/radius_of_gyration.h"
#include "series/series_options.h"

struct Component {
  ComponentSpec spec;       // with the label it is shown under
  std::string record;       // the FASTA record's ID; empty for a whole file
  DataCode code;            // the code the file was read in
  Composition composition;  // of a chain; empty for a formula
  Makeup makeup;            // the units summed, with their deuteration
  double water;             // g/mol added to the mass: one water per chain, none for a formula
  std::vector<PlacedUnit> placed;  // from a structure: each residue and ligand where it sits
  std::vector<std::string> notes;  // what the report should say of how it was read
};

// Reads the file of `spec`, or its formula, and appends one component per record (the
// label of a record in a file of several is its ID). Returns false with a one-line
// `*error` when the file cannot be opened or read, looks like three-letter names read
// as one-letter codes, holds no residue, holds U in DNA or T in RNA, has fewer
// cysteines than its disulfides need, or holds entries that name no residue, unless
// options.allow_unknown: then those are left out and `*warnings` gets a line naming
// them. A structure file gives a component per polymer chain, or one of the chains
// spec.chains names.
bool load_components(const ComponentSpec& spec, const SeriesOptions& options,
                     std::vector<Component>* components, std::vector<std::string>* warnings,
                     std::string* error);

const char* code_name(DataCode code);
// The makeup of a chain of `comp` under the options of `spec`: a part per unit of its
// type, selenium for sulfur, the thiol hydrogens of disulfides, the volume from --psv.
Makeup chain_makeup(const ComponentSpec& spec, const Composition& comp);
// The deuterated fraction of the unit `name` under the options of `spec`.
double deuteration_of(const ComponentSpec& spec, const char* name);
// Refuses (false, `*error`) or notes in `*warnings` the entries of `comp` that name no
// residue or are of the wrong chain type; `place` names the file and record.
bool check_unknown(const std::string& place, const Composition& comp, bool allow_unknown,
                   std::vector<std::string>* warnings, std::string* error);
std::string stem_of(const std::string& path);
const char* kind_name(ChainKind kind);

#endif  // QUORVANE_SERIES_COMPONENTS_H_
