#include "structure/structure_reader.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
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
    // 1a1p and il2 come without END records, as many programs write them: no warning.
    EXPECT_TRUE(model.warnings.empty()) << path << ": " << model.warnings.front();
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

// A model cut where the cut shows, plain or gzipped, is refused or read with a warning;
// a whole model is read without one however its writer ended it (no END, no closing
// "#" as gemmi writes mmCIF, no line end after a whole last record). A cut at a line
// end between whole records cannot be told from a file that ends there. Damaged bytes
// are refused.
TEST(ReadStructure, CutFilesNeverPassSilently) {
  std::map<std::string, std::string> fixtures = {
      {"model.pdb",
       read_file(std::string(QUORVANE_GOLDEN_DIR) + "/structure_model_pdb/input/model.pdb")},
      {"model.cif", read_file(std::string(QUORVANE_GOLDEN_DIR) +
                              "/structure_model_cif_ligands/input/model.cif")},
      {"gemmi.cif", read_file(std::string(QUORVANE_GOLDEN_DIR) + "/../data/model_gemmi.cif")},
  };
  if (std::filesystem::exists(REAL_MODELS[2])) {
    fixtures["1hpv.pdb"] = read_file(REAL_MODELS[2]);
  }
  const auto read = [](const std::string& text, const std::string& name, StructureModel* model) {
    *model = StructureModel();
    std::string error;
    return read_structure_bytes(text, name, model, &error);
  };
  int cuts = 0;
  for (const auto& [name, whole] : fixtures) {
    const bool pdb = name.find(".pdb") != std::string::npos;
    StructureModel model;
    // Whole, and whole as other writers end it.
    std::string unended = whole;
    unended.erase(unended.find_last_not_of("\r\n") + 1);
    std::string no_end = whole;
    if (pdb && no_end.rfind("\nEND") != std::string::npos) {
      no_end.erase(no_end.rfind("\nEND") + 1);
    }
    for (const std::string& text : {whole, unended, no_end}) {
      ASSERT_TRUE(read(text, name, &model)) << name;
      EXPECT_TRUE(model.warnings.empty()) << name << ": " << model.warnings.front();
    }
    // Cut inside an atom's line, before its coordinates are whole.
    const std::string atom = pdb ? "\nATOM  " : "\nATOM ";
    for (double share : {0.1, 0.3, 0.5, 0.7, 0.9}) {
      const size_t line =
          whole.find(atom, static_cast<size_t>(share * static_cast<double>(whole.size())));
      if (line == std::string::npos) {
        continue;
      }
      ++cuts;
      const size_t at = line + 1 + (pdb ? 40 : 20);
      EXPECT_TRUE(!read(whole.substr(0, at), name, &model) || !model.warnings.empty())
          << name << " cut at " << at;
      const std::string gzipped = gzip_bytes(whole);
      const auto gz_at = static_cast<size_t>(share * static_cast<double>(gzipped.size()));
      std::string error;
      EXPECT_FALSE(read_structure_bytes(gzipped.substr(0, gz_at), name + ".gz", &model, &error))
          << name << ".gz cut at " << gz_at;
      EXPECT_NE(std::string::npos, error.find("cut short")) << error;
    }
    // Damage: overwritten bytes in a gzip stream, a zero byte in the text.
    std::string damaged = gzip_bytes(whole);
    for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 8; ++i) {
      damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
    }
    std::string error;
    EXPECT_FALSE(read_structure_bytes(damaged, name + ".gz", &model, &error)) << name;
    EXPECT_NE(std::string::npos, error.find("is damaged")) << error;
    std::string holed = whole;
    holed[whole.size() / 2] = '\0';
    error.clear();
    EXPECT_FALSE(read_structure_bytes(holed, name, &model, &error)) << name;
    EXPECT_NE(std::string::npos, error.find("holds a zero byte")) << error;
  }
  EXPECT_LE(12, cuts);
  // Cuts that only the file's structure shows: a MODEL left open (but not one closed); a
  // gemmi-written mmCIF (no closing "#") cut inside its last row, with and without a line
  // end after (the parser names the line of the loop, 79).
  const std::string gemmi = fixtures.at("gemmi.cif");
  const std::string last_row = gemmi.substr(0, gemmi.size() - 4);  // "... 301 C 1\n" less " 1\n"
  const std::string pdb = fixtures.at("model.pdb");
  const std::string opened = "MODEL        1\n" + pdb.substr(0, pdb.rfind("\nEND") + 1);
  struct Case {
    const char* name;
    std::string text;
    const char* outcome;  // the warning, or the refusal
    bool read;
  };
  const Case cases[] = {
      {"m.pdb", opened + "END\n",
       "m.pdb: a MODEL has no ENDMDL after it; the file may be cut short", true},
      {"m.pdb", opened + "ENDMDL\nEND\n", "", true},
      {"g.cif", last_row,
       "g.cif: its last line has no line end: the file looks cut short; copy it again", false},
      {"g.cif", last_row + "\n",
       "g.cif: cannot be read as a structure (g.cif:79:1: Wrong number of values in the loop)",
       false},
      // A chain named in the sequence records that the model leaves out; a coordinate
      // far past any molecule.
      {"s.pdb", "SEQRES   1 Z    2  GLY ALA\n" + pdb,
       "s.pdb: the sequence records name chains Z, of which the model holds no residue", true},
      {"far.pdb",
       "ATOM      1  CA  GLY A   1    9999999.   0.000   0.000  1.00 20.00           C\n",
       "far.pdb: holds coordinates that are not numbers or lie beyond a million angstrom; is it "
       "a structure file?",
       false},
  };
  StructureModel model;
  std::string error;
  for (const Case& c : cases) {
    error.clear();
    EXPECT_EQ(c.read, read_structure_bytes(c.text, c.name, &model, &error)) << c.outcome;
    const std::string got = c.read ? (model.warnings.empty() ? "" : model.warnings.front()) : error;
    EXPECT_EQ(c.outcome, got);
  }
  error.clear();
  EXPECT_FALSE(read_structure_bytes("", "e.cif", &model, &error));
  EXPECT_EQ("e.cif: holds no atoms: the file is empty", error);
  EXPECT_FALSE(read_structure_bytes("data_x\n#\n", "d.cif", &model, &error));
  EXPECT_EQ("d.cif: holds no atoms; is it a structure file?", error);
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

// Apoferritin (2w0o, as SasView ships it) declares its 24-mer in REMARK 350: read as it
// is, one chain and a warning that names --assembly; built, 24 chains of its 170
// residues under names of their own, each copy's centre equally far from the cage's
// (the operators are rotations about one point), so that the cage's Rg follows from a
// copy's by the parallel-axis rule. An assembly it does not declare is refused by name.
TEST(ReadStructure, BuildsTheDeclaredAssembly) {
  const std::string path =
      "/usr/lib/python3/dist-packages/sas/sasview/test/coordinate_data/2w0o.pdb";
  if (!std::filesystem::exists(path)) {
    GTEST_SKIP() << "python3-sasview is not installed";
  }
  StructureModel asis;
  std::string error;
  ASSERT_TRUE(read_structure(path, &asis, &error)) << error;
  ASSERT_EQ(1u, asis.chains.size());
  ASSERT_FALSE(asis.warnings.empty());
  EXPECT_NE(std::string::npos, asis.warnings.back().find("give --assembly 1"));
  StructureModel cage;
  cage.assembly = 1;
  ASSERT_TRUE(read_structure(path, &cage, &error)) << error;
  ASSERT_EQ(24u, cage.chains.size());
  const auto centre = [](const std::vector<Site>& sites, double c[3]) {
    c[0] = c[1] = c[2] = 0.0;
    for (const Site& s : sites) {
      c[0] += s.x / static_cast<double>(sites.size());
      c[1] += s.y / static_cast<double>(sites.size());
      c[2] += s.z / static_cast<double>(sites.size());
    }
  };
  std::vector<Site> all;
  std::set<std::string> names;
  for (const StructureChain& chain : cage.chains) {
    EXPECT_EQ(170u, chain.sites.size()) << chain.name;
    names.insert(chain.name);
    all.insert(all.end(), chain.sites.begin(), chain.sites.end());
  }
  EXPECT_EQ(24u, names.size());
  double middle[3];
  centre(all, middle);
  const auto squared = [&](const std::vector<Site>& sites, const double at[3]) {
    double sum = 0.0;
    for (const Site& s : sites) {
      sum += ((s.x - at[0]) * (s.x - at[0]) + (s.y - at[1]) * (s.y - at[1]) +
              (s.z - at[2]) * (s.z - at[2])) /
             static_cast<double>(sites.size());
    }
    return sum;
  };
  const auto distance = [](const double a[3], const double b[3]) {
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) +
                     (a[2] - b[2]) * (a[2] - b[2]));
  };
  double first[3];
  centre(cage.chains[0].sites, first);
  const double reach = distance(first, middle);
  for (const StructureChain& chain : cage.chains) {
    double c[3];
    centre(chain.sites, c);
    EXPECT_NEAR(reach, distance(c, middle), 0.01) << chain.name;
  }
  EXPECT_NEAR(squared(all, middle), squared(cage.chains[0].sites, first) + reach * reach, 1e-6);
  EXPECT_GT(std::sqrt(squared(all, middle)), 45.0);  // a cage, not copies on one spot
  StructureModel none;
  none.assembly = 2;
  EXPECT_FALSE(read_structure(path, &none, &error));
  EXPECT_NE(std::string::npos, error.find("declares 1 assembly, so no assembly 2")) << error;
}

// An assembly's copies are kept as such only when its operators are a group with the
// identity first, as the pairs of copy 0 with all stand for all pairs only then: a
// four-fold axis (0, 90, 180 and 270 degrees), a two-fold about an axis off the origin
// (a translation in the operator); not two of the four-fold's turns, nor the identity
// second, nor a group with an operator twice (two copies on one place). Each chain is its
// operator's copy, placed by its motion.
TEST(ReadStructure, AssemblyCopiesOnlyOfAGroup) {
  struct Case {
    const char* name;
    std::vector<std::array<double, 4>> rows;  // three rows of R|t per operator
    size_t copies;
  };
  const std::array<double, 4> x{1, 0, 0, 0}, y{0, 1, 0, 0}, z{0, 0, 1, 0};
  const std::array<double, 4> minus_x{-1, 0, 0, 0}, minus_y{0, -1, 0, 0};
  const std::vector<Case> cases = {
      {"four-fold", {x, y, z, minus_y, x, z, minus_x, minus_y, z, y, minus_x, z}, 4},
      {"two-fold off the origin", {x, y, z, {-1, 0, 0, 20}, minus_y, z}, 2},
      {"half a four-fold", {x, y, z, minus_y, x, z}, 0},
      {"identity second", {minus_x, minus_y, z, x, y, z}, 0},
      {"a two-fold with the identity twice", {x, y, z, x, y, z, minus_x, minus_y, z}, 0},
  };
  for (const Case& c : cases) {
    std::string text = "REMARK 350 BIOMOLECULE: 1\nREMARK 350 APPLY THE FOLLOWING TO CHAINS: A\n";
    for (size_t row = 0; row < c.rows.size(); ++row) {
      char line[96];
      std::snprintf(line, sizeof line, "REMARK 350   BIOMT%zu %3zu%10.6f%10.6f%10.6f%15.5f\n",
                    row % 3 + 1, row / 3 + 1, c.rows[row][0], c.rows[row][1], c.rows[row][2],
                    c.rows[row][3]);
      text += line;
    }
    text +=
        "ATOM      1  CA  ALA A   1      11.000   2.000   3.000  1.00 20.00           C\n"
        "ATOM      2  CA  GLY A   2      14.000   5.000   1.000  1.00 20.00           C\n"
        "END\n";
    StructureModel model;
    model.assembly = 1;
    std::string error;
    ASSERT_TRUE(read_structure_bytes(text, "assembly.pdb", &model, &error)) << c.name << error;
    ASSERT_EQ(c.rows.size() / 3, model.chains.size()) << c.name;
    ASSERT_EQ(c.copies, model.copies.size()) << c.name;
    for (size_t k = 0; k < model.copies.size(); ++k) {
      const RigidMotion& m = model.copies[k];
      EXPECT_EQ(static_cast<int>(k), model.chains[k].copy) << c.name;
      for (size_t s = 0; s < 2; ++s) {
        const Site& from = model.chains[0].sites[s];
        const Site& to = model.chains[k].sites[s];
        EXPECT_NEAR(to.x, m.r[0] * from.x + m.r[1] * from.y + m.r[2] * from.z + m.t[0], 1e-9);
        EXPECT_NEAR(to.y, m.r[3] * from.x + m.r[4] * from.y + m.r[5] * from.z + m.t[1], 1e-9);
        EXPECT_NEAR(to.z, m.r[6] * from.x + m.r[7] * from.y + m.r[8] * from.z + m.t[2], 1e-9);
      }
    }
  }
}
