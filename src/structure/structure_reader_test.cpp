#include "structure/structure_reader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

const char* const REAL_MODELS[] = {"/usr/share/doc/pdb2pqr/examples/1a1p/1a1p.pdb",
                                   "/usr/share/pymol/data/demo/il2.pdb",
                                   "/usr/share/pymol/data/tut/1hpv.pdb"};

bool in_ci() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string(ci) == "true";
}

}  // namespace

// Real models that Debian packages ship (pdb2pqr-doc, pymol-data): each protein chain
// as read holds the residues that an independent reading of its ATOM records' alpha
// carbons finds, residue for residue, as a FASTA of them would. CI installs them, and
// there their absence is a failure.
TEST(ReadStructure, RealModelsAgreeWithTheirAlphaCarbons) {
  const std::map<std::string, char> one_letter = {
      {"GLY", 'G'}, {"ALA", 'A'}, {"VAL", 'V'}, {"LEU", 'L'}, {"ILE", 'I'},
      {"PHE", 'F'}, {"TYR", 'Y'}, {"TRP", 'W'}, {"ASP", 'D'}, {"GLU", 'E'},
      {"SER", 'S'}, {"THR", 'T'}, {"ASN", 'N'}, {"GLN", 'Q'}, {"LYS", 'K'},
      {"ARG", 'R'}, {"HIS", 'H'}, {"MET", 'M'}, {"CYS", 'C'}, {"PRO", 'P'}};
  int models = 0;
  for (const char* path : REAL_MODELS) {
    if (!std::filesystem::exists(path)) {
      continue;
    }
    ++models;
    std::map<std::string, std::string> sequences;  // chain: one-letter codes in order
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
      if (line.compare(0, 6, "ATOM  ") == 0 && line.compare(12, 4, " CA ") == 0 &&
          (line[16] == ' ' || line[16] == 'A')) {
        sequences[line.substr(21, 1)] += one_letter.at(line.substr(17, 3));
      }
    }
    StructureModel model;
    std::string error;
    ASSERT_TRUE(read_structure(path, &model, &error)) << error;
    // 1a1p and il2 came without their END records, and are warned about for it.
    for (const std::string& warning : model.warnings) {
      EXPECT_NE(std::string::npos, warning.find("has no END record")) << warning;
    }
    for (const StructureChain& chain : model.chains) {
      if (chain.sites.empty()) {
        continue;
      }
      std::string read;
      for (const Site& site : chain.sites) {
        read += "GAVLIFYWDESTNQKRHMCP"[site.unit];  // the table's rows in order
      }
      EXPECT_LT(10u, read.size()) << path;
      EXPECT_EQ(sequences[chain.name.empty() ? " " : chain.name], read)
          << path << " chain " << chain.name;
    }
  }
  if (in_ci()) {
    EXPECT_EQ(3, models) << "CI installs pdb2pqr-doc and pymol-data";
  }
}

// A model cut anywhere, plain or gzipped, is refused or read with a warning; never as
// if it were whole. The cuts fall inside lines and at line ends. Damaged bytes are
// refused.
TEST(ReadStructure, CutFilesNeverPassSilently) {
  std::map<std::string, std::string> fixtures = {
      {"model.pdb",
       read_file(std::string(QUORVANE_GOLDEN_DIR) + "/structure_model_pdb/input/model.pdb")},
      {"model.cif", read_file(std::string(QUORVANE_GOLDEN_DIR) +
                              "/structure_model_cif_ligands/input/model.cif")},
  };
  if (std::filesystem::exists(REAL_MODELS[2])) {
    fixtures["1hpv.pdb"] = read_file(REAL_MODELS[2]);
  }
  int cuts = 0;
  for (const auto& [name, whole] : fixtures) {
    StructureModel model;
    std::string error;
    ASSERT_TRUE(read_structure_bytes(whole, name, &model, &error)) << name << ": " << error;
    ASSERT_TRUE(model.warnings.empty()) << name << ": " << model.warnings.front();
    const std::string gzipped = gzip_bytes(whole);
    // A cut in the blanks after a PDB file's END record loses nothing.
    const size_t end_record =
        name.find(".pdb") != std::string::npos ? whole.rfind("\nEND") + 4 : whole.size();
    for (double share : {0.1, 0.3, 0.5, 0.7, 0.9, 0.99}) {
      const auto inside = static_cast<size_t>(share * static_cast<double>(whole.size()));
      const size_t line_end = whole.find('\n', inside) + 1;
      for (size_t at : {inside, line_end}) {
        if (at >= end_record) {
          continue;
        }
        ++cuts;
        model = StructureModel();
        error.clear();
        const bool read = read_structure_bytes(whole.substr(0, at), name, &model, &error);
        EXPECT_TRUE(!read || !model.warnings.empty()) << name << " cut at " << at;
      }
      const auto gz_at = static_cast<size_t>(share * static_cast<double>(gzipped.size()));
      error.clear();
      EXPECT_FALSE(read_structure_bytes(gzipped.substr(0, gz_at), name + ".gz", &model, &error))
          << name << ".gz cut at " << gz_at;
      EXPECT_NE(std::string::npos, error.find("cut short")) << error;
    }
    // Overwritten bytes in the middle of a gzip stream fail its check.
    std::string damaged = gzipped;
    for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 8; ++i) {
      damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
    }
    error.clear();
    EXPECT_FALSE(read_structure_bytes(damaged, name + ".gz", &model, &error)) << name;
    EXPECT_NE(std::string::npos, error.find("is damaged")) << error;
    // A zero byte in the text (a disk's hole, a binary file renamed) is damage too.
    std::string holed = whole;
    holed[whole.size() / 2] = '\0';
    error.clear();
    EXPECT_FALSE(read_structure_bytes(holed, name, &model, &error)) << name;
    EXPECT_NE(std::string::npos, error.find("holds a zero byte")) << error;
  }
  EXPECT_LE(24, cuts);
}

// Lines shorter than the format's 80 columns, as editors leave them, are padded before
// gemmi reads its fixed columns (past a short line's end it would read the next line's
// bytes, or past a stored record's end: the fuzz corpus keeps such a file): the model
// equals the one read from the padded lines. A longer line ends at column 80: what
// follows a byte above 127 there is not read as a record of its own.
TEST(ReadStructure, LinesReadAsEightyColumns) {
  const std::string lines[] = {
      "SEQRES   1 A    3  GLY TRP ALA",
      "SSBOND   1 CYS A    1    CYS A    3",
      "ATOM      1  CA  GLY A   1       0.000   0.000   0.000  1.00 20.00           C",
      "ATOM      2  CA  TRP A   2       3.800   0.000   0.000",
      "ATOM      3  CA  ALA A   3       3.800   3.800   0.000  1.00",
      "END"};
  const std::string hidden =
      "  \xff"
      "ATOM      4  CA  SER A   4       7.600   3.800   0.000  1.00 20.00           C";
  std::string short_text, padded_text, long_text;
  for (const std::string& line : lines) {
    short_text += line + "\n";
    padded_text += line + std::string(80 - line.size(), ' ') + "\n";
    long_text += line + std::string(80 - line.size(), ' ') + hidden + "\n";
  }
  StructureModel padded_model;
  std::string error;
  ASSERT_TRUE(read_structure_bytes(padded_text, "padded.pdb", &padded_model, &error)) << error;
  for (const std::string& text : {short_text, long_text}) {
    StructureModel model;
    ASSERT_TRUE(read_structure_bytes(text, "lines.pdb", &model, &error)) << error;
    ASSERT_EQ(1u, model.chains.size());
    ASSERT_EQ(3u, model.chains[0].sites.size());
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(padded_model.chains[0].sites[i].unit, model.chains[0].sites[i].unit);
      EXPECT_EQ(padded_model.chains[0].sites[i].x, model.chains[0].sites[i].x);
    }
  }
}
