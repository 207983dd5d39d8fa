// The planner's components: each sequence file on the command line, or each record of
// a FASTA file, with its options and its composition.
#ifndef QUORVANE_SERIES_COMPONENTS_H_
#define QUORVANE_SERIES_COMPONENTS_H_

#include <string>
#include <vector>

#include "residues/composition.h"
#include "series/series_options.h"

struct Component {
  ComponentSpec spec;  // with the label it is shown under
  std::string record;  // the FASTA record's ID; empty for a whole file
  DataCode code;       // the code the file was read in
  Composition composition;
};

// Reads the file of `spec` and appends one component per record (the label of a
// record in a file of several is its ID). Returns false with a one-line `*error` when
// the file cannot be opened or read, looks like three-letter names read as one-letter
// codes, holds no residue, or holds entries that name no residue, unless
// `allow_unknown`: then those are left out and `*warnings` gets a line naming them.
bool load_components(const ComponentSpec& spec, bool allow_unknown,
                     std::vector<Component>* components, std::vector<std::string>* warnings,
                     std::string* error);

const char* code_name(DataCode code);

#endif  // QUORVANE_SERIES_COMPONENTS_H_
