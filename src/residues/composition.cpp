#include "residues/composition.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "io/byte_reader.h"

namespace {

void add_unknown(const char* entry, size_t length, Composition* c) {
  if (c->unknown++ == 0) {
    c->first_unknown.assign(entry, length < 31 ? length : 31);
  }
}

// What one byte of the one-letter code does: skip it, or count one entry spread evenly
// over `units` (a plain code names one unit, an ambiguity code several).
enum class Action : unsigned char { kUnknown, kSkip, kUnits, kWrongKind };
enum class Note : unsigned char { kNone, kAmbiguous, kAny, kSelenium };

struct LetterRule {
  Action action;
  Note note;
  unsigned char count;  // of units
  int8_t units[UNKNOWN_RESIDUE];
};

struct LetterTable {
  LetterRule rules[256];

  explicit LetterTable(ChainKind kind) {
    for (LetterRule& rule : rules) {
      rule = LetterRule{Action::kUnknown, Note::kNone, 0, {}};
    }
    for (const char* c = " \t\n\v\f\r*-"; *c != '\0'; ++c) {
      rules[static_cast<unsigned char>(*c)].action = Action::kSkip;
    }
    if (kind == ChainKind::kProtein) {
      for (char letter = 'A'; letter <= 'Y'; ++letter) {
        const int32_t row = one_letter_number(letter, -1);
        if (row >= 0) {
          set(letter, Note::kNone, {static_cast<int8_t>(row)});
        }
      }
      set('B', Note::kAmbiguous, {8, 12});  // ASP or ASN
      set('Z', Note::kAmbiguous, {9, 13});  // GLU or GLN
      set('J', Note::kAmbiguous, {4, 3});   // ILE or LEU
      set('U', Note::kSelenium, {18});      // CYS with Se for S
      set('X', Note::kAny, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19});
      return;
    }
    // IUPAC nucleotide codes over A, C, G and T (DNA) or U (RNA): 0, 1, 2, 3.
    const char own = kind == ChainKind::kDna ? 'T' : 'U';
    set('A', Note::kNone, {0});
    set('C', Note::kNone, {1});
    set('G', Note::kNone, {2});
    set(own, Note::kNone, {3});
    set('R', Note::kAmbiguous, {0, 2});
    set('Y', Note::kAmbiguous, {1, 3});
    set('K', Note::kAmbiguous, {2, 3});
    set('M', Note::kAmbiguous, {0, 1});
    set('S', Note::kAmbiguous, {1, 2});
    set('W', Note::kAmbiguous, {0, 3});
    set('B', Note::kAmbiguous, {1, 2, 3});
    set('D', Note::kAmbiguous, {0, 2, 3});
    set('H', Note::kAmbiguous, {0, 1, 3});
    set('V', Note::kAmbiguous, {0, 1, 2});
    set('N', Note::kAny, {0, 1, 2, 3});
    const char other = kind == ChainKind::kDna ? 'U' : 'T';
    rules[static_cast<unsigned char>(other)].action = Action::kWrongKind;
    rules[std::tolower(static_cast<unsigned char>(other))].action = Action::kWrongKind;
  }

  void set(char upper, Note note, std::initializer_list<int8_t> units) {
    LetterRule rule{Action::kUnits, note, static_cast<unsigned char>(units.size()), {}};
    std::copy(units.begin(), units.end(), rule.units);
    rules[static_cast<unsigned char>(upper)] = rule;
    rules[std::tolower(static_cast<unsigned char>(upper))] = rule;
  }
};

void add_letter(const LetterRule& rule, unsigned char c, Composition* comp) {
  const char entry = static_cast<char>(c);
  if (rule.action == Action::kWrongKind) {
    if (comp->wrong_kind++ == 0) {
      comp->first_wrong_kind = entry;
    }
    return;
  }
  if (rule.action != Action::kUnits) {
    add_unknown(&entry, 1, comp);
    return;
  }
  const double share = 1.0 / rule.count;
  for (unsigned char i = 0; i < rule.count; ++i) {
    comp->rows[rule.units[i]] += share;
  }
  comp->ambiguous += rule.note == Note::kAmbiguous ? 1 : 0;
  comp->any += rule.note == Note::kAny ? 1 : 0;
  comp->selenium += rule.note == Note::kSelenium ? 1.0 : 0.0;
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
    read->records.back().composition.kind = read->kind;
  }
  return &read->records.back();
}

void read_one_letter(ByteReader* reader, const LetterTable& table, RecordsRead* read) {
  char word[3];
  size_t word_length = 0;
  bool line_start = true;
  int c;
  while ((c = next_byte(reader)) != EOF) {
    if (line_start && c == '>') {
      end_word(word, &word_length, read);
      read->records.emplace_back();
      read->records.back().composition.kind = read->kind;
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
    if (rule.action == Action::kSkip) {
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

RecordsRead read_records(std::FILE* file, DataCode code, ChainKind kind) {
  RecordsRead read{};
  read.kind = kind;
  std::vector<unsigned char> buffer(1 << 16);
  ByteReader reader = start_reading(file, buffer.data(), buffer.size());
  skip_byte_order_mark(&reader);
  if (code == DataCode::kOneLetter) {
    static const LetterTable tables[] = {LetterTable(ChainKind::kProtein),
                                         LetterTable(ChainKind::kDna),
                                         LetterTable(ChainKind::kRna)};
    read_one_letter(&reader, tables[static_cast<int>(kind)], &read);
  } else {
    read_tokens(&reader, code, &read);
  }
  read.read_error = reader.failed;
  return read;
}

DataCode guess_code(std::FILE* file) {
  unsigned char buffer[256];
  ByteReader reader = start_reading(file, buffer, sizeof buffer);
  skip_byte_order_mark(&reader);
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
