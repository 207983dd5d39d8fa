// Turns a residue file into the sequence of table rows that the calculation sums.
#ifndef QUORVANE_RESIDUES_SEQUENCE_READER_H_
#define QUORVANE_RESIDUES_SEQUENCE_READER_H_

#include <cstdint>
#include <cstdio>

// The data codes the user can choose.
constexpr int THREE_LETTER_CODE = 0;  // GLY ALA LYS, separated by white space
constexpr int ONE_LETTER_CODE = 1;    // GAK, FASTA headers skipped
constexpr int NUMBER_CODE = 2;        // table rows as decimal numbers: 0 1 14

// Slot 0 is never used, so a sequence holds at most SEQUENCE_SLOTS - 1 residues.
constexpr int32_t SEQUENCE_SLOTS = 100000;
constexpr int32_t MAX_RESIDUES = SEQUENCE_SLOTS - 1;

// About 400 KB: keep it on the heap or in static storage, not on the stack.
struct Sequence {
  int32_t slots[SEQUENCE_SLOTS];  // rows of residue_table, in slots 1 to count
  int32_t count;                  // -1 after a data code that names no code
};

enum class ReadStatus {
  kOk,
  kNotANumber,       // number code: an entry that is not a whole number
  kTooManyResidues,  // more than MAX_RESIDUES residues
  kReadError,        // the stream failed (on Linux, a directory opens and then fails)
};

// What the caller needs to name the fault of a refused file.
struct ReadProblem {
  int32_t entry;   // 1-based position of the offending entry
  char token[32];  // its first bytes, for the message
  bool token_cut;  // the entry was longer than `token` holds
};

// Fills `seq` from a residue file that the caller opened (text mode) and closes.
// Every stored number names a row: unrecognised residues, out-of-range numbers and,
// in the one-letter code, a leading B, J, O, U or X become row 20. The last entry
// counts whether or not a line end follows it. In the number code each number is
// echoed to `echo` as read, followed by a 0 for the pass that meets the end of the
// file; `echo` may be null. Any other data code reads nothing and leaves count at
// -1. On a status other than kOk, `seq` is incomplete and `*problem` says where
// (entry and token for kNotANumber, entry for kTooManyResidues).
ReadStatus read_sequence(std::FILE* file, int data_code, std::FILE* echo, Sequence* seq,
                         ReadProblem* problem);

#endif  // QUORVANE_RESIDUES_SEQUENCE_READER_H_
