#include "residues/composition.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

RecordsRead read_text(const std::string& text, DataCode code,
                      ChainKind kind = ChainKind::kProtein) {
  std::FILE* file = stream_with(text);
  RecordsRead read = read_records(file, code, kind);
  std::fclose(file);
  return read;
}

}  // namespace

TEST(ReadRecords, OneLetterCodesInFull) {
  struct Case {
    const char* text;
    std::vector<std::pair<int, double>> rows;  // row and count; all others 0
    double selenium;
    int64_t residues, ambiguous, any, unknown;
    const char* first_unknown;
  };
  const Case cases[] = {
      {"gAk*\n-", {{0, 1}, {1, 1}, {14, 1}}, 0, 3, 0, 0, 0, ""},
      {"BZJ", {{8, .5}, {12, .5}, {9, .5}, {13, .5}, {4, .5}, {3, .5}}, 0, 3, 3, 0, 0, ""},
      {"U", {{18, 1}}, 1, 1, 0, 0, 0, ""},
      {"GoO1.", {{0, 1}}, 0, 1, 0, 0, 4, "o"},
  };
  for (const Case& c : cases) {
    const RecordsRead read = read_text(c.text, DataCode::kOneLetter);
    ASSERT_EQ(1u, read.records.size()) << c.text;
    const Composition& comp = read.records[0].composition;
    std::vector<double> rows(RESIDUE_ROWS, 0.0);
    for (const auto& [row, count] : c.rows) {
      rows[row] = count;
    }
    EXPECT_EQ(rows, std::vector<double>(comp.rows, comp.rows + RESIDUE_ROWS)) << c.text;
    EXPECT_EQ(c.selenium, comp.selenium) << c.text;
    EXPECT_EQ(c.residues, comp.residues) << c.text;
    EXPECT_EQ(c.ambiguous, comp.ambiguous) << c.text;
    EXPECT_EQ(c.unknown, comp.unknown) << c.text;
    EXPECT_EQ(c.first_unknown, comp.first_unknown) << c.text;
  }
  // X is the mean residue: a twentieth of each.
  const Composition x = read_text("X", DataCode::kOneLetter).records[0].composition;
  EXPECT_EQ(1, x.any);
  for (int32_t row = 0; row < UNKNOWN_RESIDUE; ++row) {
    EXPECT_DOUBLE_EQ(0.05, x.rows[row]) << row;
  }
}

TEST(ReadRecords, EveryFastaRecordApart) {
  const RecordsRead read =
      read_text("GG\n>sp|P1|A first chain\nAK\nA\n>  B\n\n>C\nW GLY\n", DataCode::kOneLetter);
  ASSERT_EQ(4u, read.records.size());
  const char* ids[] = {"", "sp|P1|A", "B", "C"};
  const int64_t residues[] = {2, 3, 0, 4};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(ids[i], read.records[i].id) << i;
    EXPECT_EQ(residues[i], read.records[i].composition.residues) << i;
  }
  EXPECT_EQ(5, read.words);  // GG, AK, A, W, GLY
  EXPECT_EQ(1, read.name_words);
}

TEST(ReadRecords, NamesInAnyCaseAndNumbers) {
  const Composition names =
      read_text("GLY gly Ala MSE NON GLYX\n", DataCode::kThreeLetter).records[0].composition;
  EXPECT_EQ(2.0, names.rows[0]);
  EXPECT_EQ(1.0, names.rows[1]);
  EXPECT_EQ(3, names.residues);
  EXPECT_EQ(3, names.unknown);
  EXPECT_EQ("MSE", names.first_unknown);
  const Composition numbers =
      read_text("0 19 07 20 -1 x\n", DataCode::kNumber).records[0].composition;
  EXPECT_EQ(1.0, numbers.rows[0]);
  EXPECT_EQ(1.0, numbers.rows[7]);
  EXPECT_EQ(1.0, numbers.rows[19]);
  EXPECT_EQ(3, numbers.residues);
  EXPECT_EQ(3, numbers.unknown);
  EXPECT_EQ("20", numbers.first_unknown);
}

// The IUPAC nucleotide codes: each shares one residue among the bases it stands for.
TEST(ReadRecords, NucleotideCodesShareAResidue) {
  const struct {
    char letter;
    std::string bases;
  } codes[] = {{'R', "AG"},  {'Y', "CT"},  {'K', "GT"},  {'M', "AC"},  {'S', "CG"},  {'W', "AT"},
               {'B', "CGT"}, {'D', "AGT"}, {'H', "ACT"}, {'V', "ACG"}, {'N', "ACGT"}};
  for (const auto& c : codes) {
    const Composition comp =
        read_text(std::string(1, c.letter), DataCode::kOneLetter, ChainKind::kDna)
            .records.at(0)
            .composition;
    std::vector<double> rows(RESIDUE_ROWS, 0.0);
    for (char base : c.bases) {
      rows[std::string("ACGT").find(base)] = 1.0 / static_cast<double>(c.bases.size());
    }
    EXPECT_EQ(rows, std::vector<double>(comp.rows, comp.rows + RESIDUE_ROWS)) << c.letter;
    EXPECT_EQ(1, comp.residues) << c.letter;
  }
}
