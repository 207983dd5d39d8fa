// The planner's reading of sequence files: how many of each residue a chain holds,
// with the one-letter code read in full (ambiguity codes, selenocysteine, lower case)
// and every record of a FASTA file kept apart. Unlike the console's reader, entries
// that name no residue are counted aside, never summed.
#ifndef QUORVANE_RESIDUES_COMPOSITION_H_
#define QUORVANE_RESIDUES_COMPOSITION_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "residues/residue_table.h"
#include "residues/sequence_reader.h"

// Neutron and mass figures of selenium against sulfur, for selenocysteine (U) read as
// cysteine with Se for S. Sears (1992) scattering lengths and IUPAC masses.
constexpr double SELENIUM_LENGTH_STEP = 7.97 - 2.847;  // fm
constexpr double SELENIUM_MASS_STEP = 78.96 - 32.065;  // g/mol

struct Composition {
  double rows[RESIDUE_ROWS];  // residues of each table row; an ambiguity code counts half
                              // to each of its two residues; row 20 stays 0
  double selenium;            // cysteines whose sulfur is selenium (U)
  int64_t residues;           // entries counted, ambiguous ones included
  int64_t ambiguous;          // B, Z, J: the mean of two residues
  int64_t any;                // X: the mean residue of the table's twenty
  int64_t unknown;            // entries that name no residue, left out of everything
  std::string first_unknown;  // the first of them, for the message
};

struct SequenceRecord {
  std::string id;  // the first word of its FASTA header; empty without a header
  Composition composition;
};

struct RecordsRead {
  std::vector<SequenceRecord> records;
  bool read_error;     // the stream failed
  int64_t words;       // one-letter code: white-space separated words outside headers,
  int64_t name_words;  // and how many of them are three-letter residue names
};

// Reads every record of `file` (opened by the caller, who closes it) in `code`. In
// the one-letter code a line starting with '>' begins a new record; upper and lower
// case are the same, '*' and '-' are skipped, B is D or N, Z is E or Q, J is I or L
// (half each), X one twentieth of each residue, U cysteine with selenium, and O and
// every other byte an unknown entry. Three-letter names are read in any case; numbers
// outside 0-19 are unknown. A file without header is one record.
RecordsRead read_records(std::FILE* file, DataCode code);

// The code a file given without one is most likely in: by its first entry (a FASTA
// header or letters: one-letter; a number: number; a residue name: three-letter).
// Rewinds `file`.
DataCode guess_code(std::FILE* file);

#endif  // QUORVANE_RESIDUES_COMPOSITION_H_
