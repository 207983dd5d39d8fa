// The warnings after a residue file is read: each entry that changed the sums without
// the user asking for it is counted and named, so no plausible wrong total passes in
// silence.
#ifndef QUORVANE_DIALOGUE_RESIDUE_WARNINGS_H_
#define QUORVANE_DIALOGUE_RESIDUE_WARNINGS_H_

#include <cstdio>

#include "residues/sequence_reader.h"

// Writes one "quorvane: warning:" line to `err` for each kind of entry in `report`
// that deserves one, and a hint when most of the file does not fit `code`.
void warn_about_residues(std::FILE* err, const char* path, DataCode code, const ReadReport& report);

#endif  // QUORVANE_DIALOGUE_RESIDUE_WARNINGS_H_
