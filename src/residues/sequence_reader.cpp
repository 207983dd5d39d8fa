#include "residues/sequence_reader.h"

#include <cstring>
#include <vector>

#include "io/byte_reader.h"
#include "residues/residue_table.h"

namespace {

bool store(int32_t number, Sequence* seq) {
  if (seq->count >= MAX_RESIDUES) {
    return false;
  }
  seq->slots[++seq->count] = number;
  return true;
}

ReadStatus too_many(ReadReport* report) {
  report->entry = SEQUENCE_SLOTS;
  return ReadStatus::kTooManyResidues;
}

// Keeps the first unknown entry for the warning that names it.
void note_unknown(const char* token, size_t length, ReadReport* report) {
  if (report->unknown++ == 0) {
    const size_t room = sizeof report->token - 1;
    const size_t kept = length < room ? length : room;
    std::memcpy(report->token, token, kept);
    report->token[kept] = '\0';
    report->token_cut = length > room;
  }
}

ReadStatus read_three_letter(ByteReader* reader, Sequence* seq, ReadReport* report) {
  char token[sizeof report->token + 1];
  size_t length = 0;
  for (;;) {
    const TokenRead read = read_token(reader, token, sizeof token, &length);
    if (read == TokenRead::kError) {
      return ReadStatus::kReadError;
    }
    if (read == TokenRead::kEnd) {
      return ReadStatus::kOk;
    }
    const int32_t row = lookup_three_letter(token, length);
    if (row == UNKNOWN_RESIDUE) {
      note_unknown(token, length, report);
    }
    if (!store(row, seq)) {
      return too_many(report);
    }
  }
}

// Follows the words of a one-letter file, to tell when it holds three-letter names.
struct WordWatch {
  char start[3];
  size_t length = 0;

  void add(int c) {
    if (length < sizeof start) {
      start[length] = static_cast<char>(c);
    }
    ++length;
  }
  void end(ReadReport* report) {
    if (length > 0) {
      ++report->words;
      if (lookup_three_letter(start, length) != UNKNOWN_RESIDUE) {
        ++report->name_words;
      }
    }
    length = 0;
  }
};

ReadStatus read_one_letter(ByteReader* reader, Sequence* seq, ReadReport* report) {
  // Starting from row 20 rather than from a number that names no row makes a
  // leading B, J, O, U or X an unknown residue.
  int32_t current = UNKNOWN_RESIDUE;
  bool line_start = true;
  WordWatch word;
  int c;
  while ((c = next_byte(reader)) != EOF) {
    if (line_start && c == '>') {
      // A FASTA header: its letters are a description, not residues.
      while ((c = next_byte(reader)) != EOF && c != '\n') {
      }
      if (c == EOF) {
        break;
      }
      continue;
    }
    line_start = c == '\n';
    if (is_blank(c)) {
      word.end(report);
      continue;
    }
    word.add(c);
    if (c < 'A' || c > 'Y') {
      if (report->skipped++ == 0) {
        report->first_skipped = static_cast<char>(c);
      }
      continue;
    }
    const char letter = static_cast<char>(c);
    const int32_t row = one_letter_number(letter, current);
    if (one_letter_number(letter, -1) == -1) {  // B, J, O, U, X: no residue of their own
      if (seq->count == 0) {
        note_unknown(&letter, 1, report);
      } else {
        ++report->repeated;
      }
    }
    current = row;
    if (!store(current, seq)) {
      return too_many(report);
    }
  }
  word.end(report);
  return reader->failed ? ReadStatus::kReadError : ReadStatus::kOk;
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

// Echoes one number and its line end as %d prints it (no plus sign, no leading
// zeros), formatted by hand: a long file echoes every entry.
void echo_number(std::FILE* echo, int64_t value) {
  char line[24];
  size_t start = sizeof line;
  line[--start] = '\n';
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    line[--start] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    line[--start] = '-';
  }
  std::fwrite(line + start, 1, sizeof line - start, echo);
}

ReadStatus read_numbers(ByteReader* reader, std::FILE* echo, Sequence* seq, ReadReport* report) {
  char token[64];
  size_t length = 0;
  for (;;) {
    const TokenRead read = read_token(reader, token, sizeof token, &length);
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
      report->entry = seq->count + 1;
      std::snprintf(report->token, sizeof report->token, "%.*s",
                    static_cast<int>(sizeof report->token - 1), token);
      report->token_cut = length >= sizeof report->token;
      return ReadStatus::kNotANumber;
    }
    if (echo != nullptr) {
      if (value >= INT32_MIN && value <= INT32_MAX) {
        echo_number(echo, value);
      } else {
        std::fprintf(echo, "%s\n", token);  // saturated: echoed as typed
      }
    }
    int32_t row = UNKNOWN_RESIDUE;
    if (value >= 0 && value < RESIDUE_ROWS) {
      row = static_cast<int32_t>(value);
    }
    if (value != UNKNOWN_RESIDUE && row == UNKNOWN_RESIDUE) {
      note_unknown(token, length, report);
    }
    if (!store(row, seq)) {
      return too_many(report);
    }
  }
}

}  // namespace

ReadStatus read_sequence(std::FILE* file, DataCode code, std::FILE* echo, Sequence* seq,
                         ReadReport* report) {
  seq->count = 0;
  *report = ReadReport{};
  std::vector<unsigned char> buffer(1 << 16);
  ByteReader reader = start_reading(file, buffer.data(), buffer.size());
  skip_byte_order_mark(&reader);
  ReadStatus status = ReadStatus::kOk;
  switch (code) {
    case DataCode::kThreeLetter:
      status = read_three_letter(&reader, seq, report);
      break;
    case DataCode::kOneLetter:
      status = read_one_letter(&reader, seq, report);
      break;
    case DataCode::kNumber:
      status = read_numbers(&reader, echo, seq, report);
      break;
  }
  report->entries = seq->count;
  return status;
}
