// Turns a residue file into the sequence of table rows that the console calculation
// sums, and notes what in the file was not a plain residue.
#ifndef QUORVANE_RESIDUES_SEQUENCE_READER_H_
#define QUORVANE_RESIDUES_SEQUENCE_READER_H_

#include <cstdint>
#include <cstdio>

// The data codes the user can choose; the numbers are the answers typed.
enum class DataCode {
  kThreeLetter = 0,  // GLY ALA LYS, separated by white space
  kOneLetter = 1,    // GAK, FASTA headers skipped
  kNumber = 2,       // table rows as decimal numbers: 0 1 14
};

// Slot 0 is never used, so a sequence holds at most SEQUENCE_SLOTS - 1 residues.
constexpr int32_t SEQUENCE_SLOTS = 100000;
constexpr int32_t MAX_RESIDUES = SEQUENCE_SLOTS - 1;

// About 400 KB: keep it on the heap or in static storage, not on the stack.
struct Sequence {
  int32_t slots[SEQUENCE_SLOTS];  // rows of residue_table, in slots 1 to count
  int32_t count;
};

enum class ReadStatus {
  kOk,
  kNotANumber,       // number code: an entry that is not a whole number
  kTooManyResidues,  // more than MAX_RESIDUES residues
  kReadError,        // the stream failed (on Linux, a directory opens and then fails)
};

// What the reader met besides plain residues: the faults of a refused file, and on a
// file that was read the entries that deserve a warning, since each changes the sums
// without the user having asked for it.
struct ReadReport {
  int32_t entry;       // refused file: 1-based position of the offending entry
  char token[32];      // refused file: its first bytes; else the first unknown entry
  bool token_cut;      // `token` holds only the start of the entry
  int32_t unknown;     // entries counted as row 20: names that are no residue, numbers
                       // outside 0-20, a B, J, O, U or X before any residue
  int32_t entries;     // entries read, unknown ones included
  int32_t skipped;     // one-letter code: bytes neither white space nor A-Y, outside
                       // header lines (lower case, Z, digits, punctuation)
  char first_skipped;  // the first of them
  int32_t repeated;    // one-letter code: B, J, O, U or X that repeated the residue before
  int32_t words;       // one-letter code: white-space separated words outside headers,
  int32_t name_words;  // and how many of them are three-letter residue names
};

// Fills `seq` from a residue file that the caller opened (text mode) and closes.
// Every stored number names a row: unrecognised residues, out-of-range numbers and,
// in the one-letter code, a leading B, J, O, U or X become row 20. The last entry
// counts whether or not a line end follows it. In the number code each number is
// echoed to `echo` as read, followed by a 0 for the pass that meets the end of the
// file; `echo` may be null. On a status other than kOk, `seq` is incomplete and
// `report` says where (entry and token for kNotANumber, entry for kTooManyResidues).
ReadStatus read_sequence(std::FILE* file, DataCode code, std::FILE* echo, Sequence* seq,
                         ReadReport* report);

#endif  // QUORVANE_RESIDUES_SEQUENCE_READER_H_
