#include "residues/sequence_reader.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "residues/residue_table.h"
#include "test_util.h"

namespace {

struct Read {
  ReadStatus status;
  std::vector<int32_t> residues;  // slots 1 to count
  int32_t count;
  std::string echo;
  ReadProblem problem;
};

// The Sequence lives on the heap: it is 400 KB.
Read read_text(const std::string& bytes, int data_code) {
  std::FILE* file = stream_with(bytes);
  std::FILE* echo = std::tmpfile();
  auto seq = std::make_unique<Sequence>();
  Read result{};
  result.status = read_sequence(file, data_code, echo, seq.get(), &result.problem);
  result.count = seq->count;
  for (int32_t slot = 1; slot <= seq->count; ++slot) {
    result.residues.push_back(seq->slots[slot]);
  }
  result.echo = read_all(echo);
  std::fclose(file);
  std::fclose(echo);
  return result;
}

std::string repeat(const std::string& unit, int32_t times) {
  std::string text;
  for (int32_t i = 0; i < times; ++i) {
    text += unit;
  }
  return text;
}

}  // namespace

TEST(ReadSequence, ThreeLetterCodes) {
  struct Case {
    const char* text;
    std::vector<int32_t> residues;
  };
  const Case cases[] = {
      {"ALA GLY LYS\n", {1, 0, 14}},
      // The last entry counts without a line end after it.
      {"ALA GLY LYS", {1, 0, 14}},
      {"", {}},
      {" \n\t\n", {}},
      {"GLY\r\nALA\r\n", {0, 1}},
      // Anything but the exact upper-case name is one unknown residue, however long.
      {"gly Gly NON GL GLYGLY GLYALALYS\n", {20, 20, 20, 20, 20, 20}},
  };
  for (const Case& c : cases) {
    const Read read = read_text(c.text, THREE_LETTER_CODE);
    EXPECT_EQ(ReadStatus::kOk, read.status) << c.text;
    EXPECT_EQ(c.residues, read.residues) << c.text;
    EXPECT_EQ("", read.echo) << c.text;
  }
  // A zero byte inside a token makes it no name.
  const Read with_zero = read_text(std::string("G\0Y PRO\n", 8), THREE_LETTER_CODE);
  EXPECT_EQ((std::vector<int32_t>{20, 19}), with_zero.residues);
}

TEST(ReadSequence, OneLetterCodes) {
  struct Case {
    const char* text;
    std::vector<int32_t> residues;
  };
  const Case cases[] = {
      {"ACDX", {1, 18, 8, 8}},
      {"acdx", {}},
      {"ZZZZ\n", {}},
      {"G A\n1K.", {0, 1, 14}},
      // A leading letter without a residue of its own is an unknown residue.
      {"XA", {20, 1}},
      {"BJOUX", {20, 20, 20, 20, 20}},
      // FASTA headers are descriptions, wherever a line starts with '>'.
      {">sp|P61823 RNAS1 HUMAN\nKET\n>second MVA\nG", {14, 9, 11, 0}},
      {">ONLY A HEADER", {}},
      {"K>GA\n", {14, 0, 1}},
      {"KE\r\n>HEADER\r\nT\r\n", {14, 9, 11}},
  };
  for (const Case& c : cases) {
    const Read read = read_text(c.text, ONE_LETTER_CODE);
    EXPECT_EQ(ReadStatus::kOk, read.status) << c.text;
    EXPECT_EQ(c.residues, read.residues) << c.text;
  }
}

TEST(ReadSequence, NumberCodesEchoEachNumberAndTheClosingPass) {
  struct Case {
    const char* text;
    std::vector<int32_t> residues;
    const char* echo;
  };
  const Case cases[] = {
      {"0\n19\n20\n", {0, 19, 20}, "0\n19\n20\n0\n"},
      {"0 19 20", {0, 19, 20}, "0\n19\n20\n0\n"},
      {"", {}, "0\n"},
      {"+3 007 -0\n", {3, 7, 0}, "3\n7\n0\n0\n"},
      // Out of range: an unknown residue, echoed as read.
      {"21 -1 25\n", {20, 20, 20}, "21\n-1\n25\n0\n"},
      {"99999999999 -2147483648\n", {20, 20}, "99999999999\n-2147483648\n0\n"},
  };
  for (const Case& c : cases) {
    const Read read = read_text(c.text, NUMBER_CODE);
    EXPECT_EQ(ReadStatus::kOk, read.status) << c.text;
    EXPECT_EQ(c.residues, read.residues) << c.text;
    EXPECT_EQ(c.echo, read.echo) << c.text;
  }
}

TEST(ReadSequence, NumberCodeRefusesWhatIsNotANumber) {
  struct Case {
    std::string text;
    int32_t entry;
    const char* token;
    bool cut;
  };
  const Case cases[] = {
      {"1 2 abc 3\n", 3, "abc", false},
      {"12x\n", 1, "12x", false},
      {"5 - 6", 2, "-", false},
      {"1.5", 1, "1.5", false},
      {"0 " + std::string(70, '7') + "\n", 2, "7777777777777777777777777777777", true},
  };
  for (const Case& c : cases) {
    const Read read = read_text(c.text, NUMBER_CODE);
    EXPECT_EQ(ReadStatus::kNotANumber, read.status) << c.text;
    EXPECT_EQ(c.entry, read.problem.entry) << c.text;
    EXPECT_STREQ(c.token, read.problem.token) << c.text;
    EXPECT_EQ(c.cut, read.problem.token_cut) << c.text;
  }
}

TEST(ReadSequence, OtherDataCodesReadNothing) {
  for (int code : {3, -1, 100}) {
    const Read read = read_text("GLY\n", code);
    EXPECT_EQ(ReadStatus::kOk, read.status) << code;
    EXPECT_EQ(-1, read.count) << code;
    EXPECT_EQ("", read.echo) << code;
  }
}

// The same protein, in each of the three codes, is the same sequence.
TEST(ReadSequence, CodesAgree) {
  const std::string dir = QUORVANE_EXAMPLES_DIR;
  const struct {
    const char* one;
    const char* three;
    const char* numbers;
  } proteins[] = {
      {"lysozyme_1.DAT", "lysozyme_3.DAT", "lysozyme_n.DAT"},
      {"ubiquitin_1.DAT", "ubiquitin_3.DAT", "ubiquitin_n.DAT"},
      {"lysozyme_fasta.DAT", "lysozyme_3.DAT", "lysozyme_n.DAT"},
  };
  for (const auto& p : proteins) {
    const Read one = read_text(read_file(dir + "/" + p.one), ONE_LETTER_CODE);
    const Read three = read_text(read_file(dir + "/" + p.three), THREE_LETTER_CODE);
    const Read numbers = read_text(read_file(dir + "/" + p.numbers), NUMBER_CODE);
    EXPECT_LT(70u, one.residues.size()) << p.one;
    EXPECT_EQ(one.residues, three.residues) << p.three;
    EXPECT_EQ(one.residues, numbers.residues) << p.numbers;
  }
}

// Slot 0 is unused, so 99,999 residues fill the sequence; one more is refused in
// every code instead of being written past the array.
TEST(ReadSequence, StopsAtCapacity) {
  const struct {
    int code;
    const char* unit;
  } codes[] = {{THREE_LETTER_CODE, "ALA\n"}, {ONE_LETTER_CODE, "A"}, {NUMBER_CODE, "1\n"}};
  for (const auto& c : codes) {
    const Read full = read_text(repeat(c.unit, MAX_RESIDUES), c.code);
    EXPECT_EQ(ReadStatus::kOk, full.status) << c.code;
    EXPECT_EQ(MAX_RESIDUES, full.count) << c.code;
    const Read over = read_text(repeat(c.unit, MAX_RESIDUES + 1), c.code);
    EXPECT_EQ(ReadStatus::kTooManyResidues, over.status) << c.code;
    EXPECT_EQ(MAX_RESIDUES + 1, over.problem.entry) << c.code;
  }
}

// On Linux a directory opens for reading and then fails every read; that must end
// the reading, not loop on a stream that never reaches its end.
TEST(ReadSequence, ReadErrorEndsTheFile) {
  ScopedTempDir dir;
  for (int code : {THREE_LETTER_CODE, ONE_LETTER_CODE, NUMBER_CODE}) {
    std::FILE* file = std::fopen(".", "r");
    if (file == nullptr) {
      GTEST_SKIP() << "directories do not open as files here";
    }
    auto seq = std::make_unique<Sequence>();
    ReadProblem problem{};
    EXPECT_EQ(ReadStatus::kReadError, read_sequence(file, code, nullptr, seq.get(), &problem))
        << code;
    std::fclose(file);
  }
}

// The residue file is read in text mode: on Windows a Ctrl-Z byte ends it, on Linux
// it is one more byte of the token it stands in.
TEST(ReadSequence, CtrlZInTextMode) {
  ScopedTempDir dir;
  struct Case {
    int code;
    const char* text;
    std::vector<int32_t> on_windows;
    std::vector<int32_t> on_linux;
  };
  const Case cases[] = {
      {THREE_LETTER_CODE,
       "GLY\n\x1a"
       "ALA\n",
       {0},
       {0, 20}},
      {ONE_LETTER_CODE,
       "G\x1a"
       "A\n",
       {0},
       {0, 1}},
      {NUMBER_CODE,
       "0\n\x1a"
       "1\n",
       {0},
       {}},
  };
  for (const Case& c : cases) {
    write_file("z.DAT", c.text);
    std::FILE* file = std::fopen("z.DAT", "r");
    ASSERT_NE(nullptr, file);
    auto seq = std::make_unique<Sequence>();
    ReadProblem problem{};
    const ReadStatus status = read_sequence(file, c.code, nullptr, seq.get(), &problem);
    std::fclose(file);
    const std::vector<int32_t> residues(seq->slots + 1, seq->slots + 1 + seq->count);
#if defined(_WIN32)
    EXPECT_EQ(ReadStatus::kOk, status) << c.code;
    EXPECT_EQ(c.on_windows, residues) << c.code;
#else
    if (c.code == NUMBER_CODE) {
      // "\x1a" "1" is no number.
      EXPECT_EQ(ReadStatus::kNotANumber, status);
    } else {
      EXPECT_EQ(ReadStatus::kOk, status) << c.code;
      EXPECT_EQ(c.on_linux, residues) << c.code;
    }
#endif
  }
}
