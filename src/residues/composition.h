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

#include "residues/chemistry.h"
#include "residues/residue_table.h"
#include "residues/sequence_reader.h"

struct Composition {
  ChainKind kind;
  double rows[RESIDUE_ROWS];  // entries of each unit of the kind (chain_unit); an ambiguity
                              // code counts evenly to each unit it stands for; protein
                              // row 20 stays 0
  double selenium;            // cysteines whose sulfur is selenium (U)
  int64_t residues;           // entries counted, ambiguous ones included
  int64_t ambiguous;          // ambiguity codes (B, Z, J; R, Y, K...): a mean of units
  int64_t any;                // X or N: the mean of all the kind's units
  int64_t unknown;            // entries that name no residue, left out of everything
  std::string first_unknown;  // the first of them, for the message
  int64_t wrong_kind;         // U in DNA, T in RNA
  char first_wrong_kind;
};

struct SequenceRecord {
  std::string id;  // the first word of its FASTA header; empty without a header
  Composition composition;
};

struct RecordsRead {
  ChainKind kind;
  std::vector<SequenceRecord> records;
  bool read_error;     // the stream failed
  int64_t words;       // one-letter code: white-space separated words outside headers,
  int64_t name_words;  // and how many of them are three-letter residue names
};

// Reads every record of `file` (opened by the caller, who closes it) in `code`, as
// chains of `kind`. In the one-letter code a line starting with '>' begins a new
// record; upper and lower case are the same and '*' and '-' are skipped. Proteins: B
// is D or N, Z is E or Q, J is I or L (half each), X one twentieth of each residue, U
// cysteine with selenium, O and every other byte unknown. DNA and RNA: A, C, G and T
// (DNA) or U (RNA) and the IUPAC ambiguity codes, each an even share of the
// nucleotides it stands for; U in DNA and T in RNA are counted as of the wrong kind.
// Three-letter names (proteins) are read in any case; numbers outside 0-19 are
// unknown. A file without header is one record.
RecordsRead read_records(std::FILE* file, DataCode code, ChainKind kind);

// The code a file given without one is most likely in: by its first entry (a FASTA
// header or letters: one-letter; a number: number; a residue name: three-letter).
// Rewinds `file`.
DataCode guess_code(std::FILE* file);

#endif  // QUORVANE_RESIDUES_COMPOSITION_H_
