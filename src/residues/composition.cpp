#include "residues/composition.h"

#include <cctype>

#include "io/byte_reader.h"

namespace {

void add_unknown(const char* entry, size_t length, Composition* c) {
  if (c->unknown++ == 0) {
    c->first_unknown.assign(entry, length < 31 ? length : 31);
  }
}

// What one byte of the one-letter code does.
enum Action : unsigned char { kUnknown, kSkip, kResidue, kAmbiguous, kAny, kSelenium };

struct LetterRule {
  Action action;
  int8_t row;    // kResidue, kSelenium: the row; kAmbiguous: the first of two rows
  int8_t other;  // kAmbiguous: the second
};

struct LetterTable {
  LetterRule rules[256];
  LetterTable() {
    for (LetterRule& rule : rules) {
      rule = {kUnknown, 0, 0};
    }
    for (int c : {' ', '\t', '\n', '\v', '\f', '\r', '*', '-'}) {
      rules[c] = {kSkip, 0, 0};
    }
    for (char letter = 'A'; letter <= 'Y'; ++letter) {
      const int32_t row = one_letter_number(letter, -1);
      if (row >= 0) {
        set(letter, {kResidue, static_cast<int8_t>(row), 0});
      }
    }
    set('B', {kAmbiguous, 8, 12});  // ASP or ASN
    set('Z', {kAmbiguous, 9, 13});  // GLU or GLN
    set('J', {kAmbiguous, 4, 3});   // ILE or LEU
    set('X', {kAny, 0, 0});
    set('U', {kSelenium, 18, 0});  // CYS with Se
  }
  void set(char upper, LetterRule rule) {
    rules[static_cast<unsigned char>(upper)] = rule;
    rules[std::tolower(static_cast<unsigned char>(upper))] = rule;
  }
};

void add_letter(const LetterRule& rule, unsigned char c, Composition* comp) {
  switch (rule.action) {
    case kResidue:
      comp->rows[rule.row] += 1.0;
      break;
    case kSelenium:
      comp->rows[rule.row] += 1.0;
      comp->selenium += 1.0;
      break;
    case kAmbiguous:
      comp->rows[rule.row] += 0.5;
      comp->rows[rule.other] += 0.5;
      ++comp->ambiguous;
      break;
    case kAny:
      for (int32_t row = 0; row < UNKNOWN_RESIDUE; ++row) {
        comp->rows[row] += 1.0 / UNKNOWN_RESIDUE;
      }
      ++comp->any;
      break;
    case kUnknown:
    case kSkip: {
      const char entry = static_cast<char>(c);
      add_unknown(&entry, 1, comp);
      return;
    }
  }
  ++comp->residues;
}

// Counts a finished word of a one-letter file, to tell a file of three-letter names.
void end_word(const char* word, size_t* length, RecordsRead* read) {
  if (*length > 0) {
    ++read->words;
    read->name_words += lookup_three_letter(word, *length) != UNKNOWN_RESIDUE ? 1 : 0;
  }
  *length = 0;
}

SequenceRecord* current_record(RecordsRead* read) {
  if (read->records.empty()) {
    read->records.emplace_back();
  }
  return &read->records.back();
}

void read_one_letter(ByteReader* reader, RecordsRead* read) {
  static const LetterTable table;
  char word[3];
  size_t word_length = 0;
  bool line_start = true;
  int c;
  while ((c = next_byte(reader)) != EOF) {
    if (line_start && c == '>') {
      end_word(word, &word_length, read);
      read->records.emplace_back();
      std::string& id = read->records.back().id;
      while ((c = next_byte(reader)) != EOF && c != '\n') {
        if (!is_blank(c)) {
          id += static_cast<char>(c);
        } else if (!id.empty()) {
          break;
        }
      }
      while (c != EOF && c != '\n') {
        c = next_byte(reader);
      }
      continue;
    }
    line_start = c == '\n';
    const LetterRule& rule = table.rules[c];
    if (rule.action == kSkip) {
      if (is_blank(c)) {
        end_word(word, &word_length, read);
      }
      continue;
    }
    if (word_length < sizeof word) {
      word[word_length] = static_cast<char>(std::toupper(c));
    }
    ++word_length;
    add_letter(rule, static_cast<unsigned char>(c), &current_record(read)->composition);
  }
  end_word(word, &word_length, read);
}

// Three-letter names in any case, or table numbers 0 to 19, separated by white space.
void read_tokens(ByteReader* reader, DataCode code, RecordsRead* read) {
  Composition* comp = &current_record(read)->composition;
  char token[40];
  size_t length = 0;
  while (read_token(reader, token, sizeof token, &length) == TokenRead::kToken) {
    int32_t row = UNKNOWN_RESIDUE;
    if (code == DataCode::kThreeLetter && length == 3) {
      char upper[3];
      for (size_t i = 0; i < 3; ++i) {
        upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(token[i])));
      }
      row = lookup_three_letter(upper, 3);
    } else if (code == DataCode::kNumber && length <= 9) {
      int value = 0;
      size_t i = 0;
      for (; i < length && token[i] >= '0' && token[i] <= '9'; ++i) {
        value = value * 10 + (token[i] - '0');
      }
      row = i == length && value < UNKNOWN_RESIDUE ? value : UNKNOWN_RESIDUE;
    }
    if (row == UNKNOWN_RESIDUE) {
      add_unknown(token, length, comp);
      continue;
    }
    comp->rows[row] += 1.0;
    ++comp->residues;
  }
}

}  // namespace

RecordsRead read_records(std::FILE* file, DataCode code) {
  RecordsRead read{};
  std::vector<unsigned char> buffer(1 << 16);
  ByteReader reader = start_reading(file, buffer.data(), buffer.size());
  if (code == DataCode::kOneLetter) {
    read_one_letter(&reader, &read);
  } else {
    read_tokens(&reader, code, &read);
  }
  read.read_error = reader.failed;
  return read;
}

DataCode guess_code(std::FILE* file) {
  unsigned char buffer[256];
  ByteReader reader = start_reading(file, buffer, sizeof buffer);
  char token[8];
  size_t length = 0;
  const TokenRead read = read_token(&reader, token, sizeof token, &length);
  std::rewind(file);
  if (read != TokenRead::kToken || token[0] == '>') {
    return DataCode::kOneLetter;
  }
  if ((token[0] >= '0' && token[0] <= '9') || token[0] == '-' || token[0] == '+') {
    return DataCode::kNumber;
  }
  char upper[3];
  for (size_t i = 0; i < 3 && i < length; ++i) {
    upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(token[i])));
  }
  if (length == 3 && lookup_three_letter(upper, 3) != UNKNOWN_RESIDUE) {
    return DataCode::kThreeLetter;
  }
  return DataCode::kOneLetter;
}
