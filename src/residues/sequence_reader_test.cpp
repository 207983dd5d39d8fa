#include "residues/sequence_reader.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

struct Read {
  ReadStatus status;
  std::vector<int32_t> residues;  // slots 1 to count
  std::string echo;
  ReadReport report;
};

Read read_text(const std::string& bytes, DataCode code) {
  std::FILE* file = stream_with(bytes);
  std::FILE* echo = std::tmpfile();
  auto seq = std::make_unique<Sequence>();  // 400 KB: not on the stack
  Read result{};
  result.status = read_sequence(file, code, echo, seq.get(), &result.report);
  result.residues.assign(seq->slots + 1, seq->slots + 1 + seq->count);
  result.echo = read_all(echo);
  std::fclose(file);
  std::fclose(echo);
  return result;
}

}  // namespace

// What each code stores and refuses, and the unknown entries it notes for the warnings.
TEST(ReadSequence, EntriesUnknownsAndRefusals) {
  constexpr auto kThree = DataCode::kThreeLetter;
  constexpr auto kOne = DataCode::kOneLetter;
  constexpr auto kNumber = DataCode::kNumber;
  struct Case {
    DataCode code;
    std::string text;
    std::vector<int32_t> residues;
    std::string echo;
    int unknown;        // or, for a refused entry, its position
    const char* token;  // the first unknown or the refused entry
  };
  const Case cases[] = {
      // The last entry counts without a line end after it.
      {kThree, "ALA GLY\r\nLYS", {1, 0, 14}, "", 0, ""},
      {kThree, "gly MSE NON GLYGLY\n", {20, 20, 20, 20}, "", 4, "gly"},
      {kThree, std::string("G\0Y PRO\n", 8), {20, 19}, "", 1, "G"},
      {kOne, "XA zZ1.\nBJ", {20, 1, 1, 1}, "", 1, "X"},
      {kOne, ">sp|P61823 RNAS1\nKET\n>2nd MVA\nG", {14, 9, 11, 0}, "", 0, ""},
      {kOne, "GLY ALA LYS PRO\n", {0, 3, 6, 1, 3, 1, 3, 6, 10, 19, 15, 15}, "", 0, ""},
      {kNumber, "", {}, "0\n", 0, ""},
      {kNumber, "+3 007 -0 20 21 -1\n", {3, 7, 0, 20, 20, 20}, "3\n7\n0\n20\n21\n-1\n0\n", 2, "21"},
      {kNumber,
       "99999999999 -2147483648",
       {20, 20},
       "99999999999\n-2147483648\n0\n",
       2,
       "99999999999"},
      // Refused: what is not a whole number, named by position.
      {kNumber, "1 2 abc 3\n", {1, 2}, "1\n2\n", 3, "abc"},
      {kNumber, "1.5", {}, "", 1, "1.5"},
      {kNumber, "0 " + std::string(70, '7'), {0}, "0\n", 2, "7777777777777777777777777777777"},
  };
  for (const Case& c : cases) {
    const Read read = read_text(c.text, c.code);
    const bool refused = read.status == ReadStatus::kNotANumber;
    EXPECT_EQ(c.residues, read.residues) << c.text;
    EXPECT_EQ(c.echo, read.echo) << c.text;
    EXPECT_EQ(c.unknown, refused ? read.report.entry : read.report.unknown) << c.text;
    EXPECT_STREQ(c.token, refused || c.unknown > 0 ? read.report.token : "") << c.text;
    EXPECT_EQ(c.text.size() > 60, read.report.token_cut) << c.text;
  }
}

// The same protein in each of the three codes is the same sequence.
TEST(ReadSequence, CodesAgree) {
  const std::string dir = QUORVANE_EXAMPLES_DIR;
  for (const char* protein : {"lysozyme", "ubiquitin"}) {
    const Read one = read_text(read_file(dir + "/" + protein + "_1.DAT"), DataCode::kOneLetter);
    const Read three = read_text(read_file(dir + "/" + protein + "_3.DAT"), DataCode::kThreeLetter);
    const Read numbers = read_text(read_file(dir + "/" + protein + "_n.DAT"), DataCode::kNumber);
    EXPECT_LT(70u, one.residues.size()) << protein;
    EXPECT_EQ(one.residues, three.residues) << protein;
    EXPECT_EQ(one.residues, numbers.residues) << protein;
  }
}

// Slot 0 is unused, so 99,999 residues fill the sequence; one more is refused in
// every code instead of being written past the array.
TEST(ReadSequence, StopsAtCapacity) {
  const struct {
    DataCode code;
    const char* unit;
  } codes[] = {
      {DataCode::kThreeLetter, "ALA\n"}, {DataCode::kOneLetter, "A"}, {DataCode::kNumber, "1\n"}};
  for (const auto& c : codes) {
    std::string text;
    for (int32_t i = 0; i < MAX_RESIDUES; ++i) {
      text += c.unit;
    }
    EXPECT_EQ(static_cast<size_t>(MAX_RESIDUES), read_text(text, c.code).residues.size());
    const Read over = read_text(text + c.unit, c.code);
    EXPECT_EQ(ReadStatus::kTooManyResidues, over.status) << c.unit;
    EXPECT_EQ(MAX_RESIDUES + 1, over.report.entry) << c.unit;
  }
}
