#include "residues/sequence_reader.h"

#include <cstring>

#include "residues/residue_table.h"
#include "residues/token_reader.h"

namespace {

bool store(int32_t number, Sequence* seq) {
  if (seq->count >= MAX_RESIDUES) {
    return false;
  }
  seq->slots[++seq->count] = number;
  return true;
}

ReadStatus too_many(ReadProblem* problem) {
  problem->entry = SEQUENCE_SLOTS;
  return ReadStatus::kTooManyResidues;
}

ReadStatus read_three_letter(std::FILE* file, Sequence* seq, ReadProblem* problem) {
  char token[4];
  size_t length = 0;
  for (;;) {
    const TokenRead read = read_token(file, token, sizeof token, &length);
    if (read == TokenRead::kError) {
      return ReadStatus::kReadError;
    }
    if (read == TokenRead::kEnd) {
      return ReadStatus::kOk;
    }
    if (!store(lookup_three_letter(token, length), seq)) {
      return too_many(problem);
    }
  }
}

ReadStatus read_one_letter(std::FILE* file, Sequence* seq, ReadProblem* problem) {
  // Starting from row 20 rather than from a number that names no row makes a
  // leading B, J, O, U or X an unknown residue.
  int32_t current = UNKNOWN_RESIDUE;
  bool line_start = true;
  int c;
  while ((c = std::getc(file)) != EOF) {
    if (line_start && c == '>') {
      // A FASTA header: its letters are a description, not residues.
      while ((c = std::getc(file)) != EOF && c != '\n') {
      }
      if (c == EOF) {
        break;
      }
      continue;
    }
    line_start = c == '\n';
    if (c >= 'A' && c <= 'Y') {
      current = one_letter_number(static_cast<char>(c), current);
      if (!store(current, seq)) {
        return too_many(problem);
      }
    }
  }
  return std::ferror(file) ? ReadStatus::kReadError : ReadStatus::kOk;
}

// Accepts an optional sign and at least one decimal digit, nothing else. Saturates
// far outside the int32 range, which is all the caller needs to know.
bool parse_whole_number(const char* text, int64_t* value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') {
    ++p;
  }
  if (*p == '\0') {
    return false;
  }
  int64_t magnitude = 0;
  for (; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') {
      return false;
    }
    if (magnitude < INT64_C(10000000000)) {
      magnitude = magnitude * 10 + (*p - '0');
    }
  }
  *value = negative ? -magnitude : magnitude;
  return true;
}

ReadStatus read_numbers(std::FILE* file, std::FILE* echo, Sequence* seq, ReadProblem* problem) {
  char token[64];
  size_t length = 0;
  for (;;) {
    const TokenRead read = read_token(file, token, sizeof token, &length);
    if (read == TokenRead::kError) {
      return ReadStatus::kReadError;
    }
    if (read == TokenRead::kEnd) {
      // The pass that meets the end of the file reads nothing and echoes its
      // untouched slot.
      if (echo != nullptr) {
        std::fputs("0\n", echo);
      }
      return ReadStatus::kOk;
    }
    int64_t value = 0;
    if (length >= sizeof token || std::strlen(token) != length ||
        !parse_whole_number(token, &value)) {
      problem->entry = seq->count + 1;
      std::snprintf(problem->token, sizeof problem->token, "%.*s",
                    static_cast<int>(sizeof problem->token - 1), token);
      problem->token_cut = length >= sizeof problem->token;
      return ReadStatus::kNotANumber;
    }
    if (echo != nullptr) {
      if (value >= INT32_MIN && value <= INT32_MAX) {
        std::fprintf(echo, "%d\n", static_cast<int>(value));
      } else {
        std::fprintf(echo, "%s\n", token);
      }
    }
    const int32_t number =
        value >= 0 && value < RESIDUE_ROWS ? static_cast<int32_t>(value) : UNKNOWN_RESIDUE;
    if (!store(number, seq)) {
      return too_many(problem);
    }
  }
}

}  // namespace

ReadStatus read_sequence(std::FILE* file, int data_code, std::FILE* echo, Sequence* seq,
                         ReadProblem* problem) {
  seq->count = 0;
  switch (data_code) {
    case THREE_LETTER_CODE:
      return read_three_letter(file, seq, problem);
    case ONE_LETTER_CODE:
      return read_one_letter(file, seq, problem);
    case NUMBER_CODE:
      return read_numbers(file, echo, seq, problem);
    default:
      seq->count = -1;
      return ReadStatus::kOk;
  }
}
