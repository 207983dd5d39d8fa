// The planner's components: each sequence file on the command line, each record of a
// FASTA file, each chain of a model, or a molecule given by formula, with its options
// and what it is made of.
#ifndef QUORVANE_PLAN_COMPONENTS_H_
#define QUORVANE_PLAN_COMPONENTS_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plan/plan_error.h"
#include "plan/plan_options.h"
#include "residues/composition.h"
#include "scattering/contrast_series.h"
#include "scattering/radius_of_gyration.h"

struct Component {
  ComponentSpec spec;  // with the label it is shown under
  int input = 0;       // its place among the components given (ComponentSpec)
  std::string record;  // the FASTA record's ID, or the chains of a model; may be empty
  InputKind code = InputKind::kOneLetter;  // how it was read; never kGuess
  Composition composition{};               // of a chain; empty for a formula
  Makeup makeup;  // the units summed, their deuteration and exchange, the chain ends' mass
  std::vector<PlacedUnit> placed;   // from a structure: each residue and ligand where it sits
  std::vector<RigidMotion> copies;  // its structure's assembly, when a group's copies
  std::vector<std::string> notes;   // what the report should say of how it was read
  std::string error;                // --records: why this record could not be planned
};

// What a component is read from besides its spec.
struct LoadContext {
  const SeriesOptions* options;
  const Solvent* solvent;     // for volumes from masses: its hydrogen steps
  std::FILE* standard_input;  // a rewindable copy of standard input, for the FILE "-"
};

// Reads the file of options.components[input], or its formula, and appends one
// component per record (or per chain of a model). Returns false with `*error` when the
// file cannot be opened or read, looks like three-letter names read as one-letter
// codes, or a record cannot be planned: no residue, U in DNA or T in RNA, fewer
// cysteines than its disulfides need, only the letters of a nucleic acid read as a
// protein without -t, or entries that name no residue (unless options.allow_unknown:
// then those are left out and `*warnings` gets a line naming them). With
// options.records a record that cannot be planned is kept with its `error` instead.
bool load_components(const LoadContext& context, int input, std::vector<Component>* components,
                     std::vector<std::string>* warnings, PlanError* error);

// How a component was read, for the report: "three-letter", "structure"...
const char* code_name(InputKind code);
const char* kind_name(ChainKind kind);
// The file name without directory, extension and .gz; "stdin" for "-".
std::string stem_of(const std::string& path);

// The makeup of a chain of `comp` under the options of `spec`: a part per unit of its
// type (of the run's unit set), selenium for sulfur, the thiol hydrogens of disulfides,
// its exchange and one water per chain; `extra` (ligands, glycans) joins before a
// volume from --psv is taken from the whole.
Makeup chain_makeup(const ComponentSpec& spec, const Composition& comp, const LoadContext& context,
                    const std::vector<Part>& extra = {}, double chains = 1.0);
// The deuterated fraction of the unit `name` under the options of `spec`.
double deuteration_of(const ComponentSpec& spec, const char* name);
// "" when every entry of `comp` names a unit of its kind; else the reason it cannot be
// planned. With `allow_unknown`, unknown entries are a warning in `*warning` instead.
std::string check_entries(const std::string& place, const Composition& comp, bool allow_unknown,
                          std::string* warning);

#endif  // QUORVANE_PLAN_COMPONENTS_H_
