#include "structure/structure_reader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <gtest/gtest.h>

// Real models that Debian packages ship (pdb2pqr-doc, pymol-data), where installed: each
// protein chain as read holds the residues that an independent reading of its ATOM
// records' alpha carbons finds, residue for residue, as a FASTA of them would.
TEST(ReadStructure, RealModelsAgreeWithTheirAlphaCarbons) {
  const std::map<std::string, char> one_letter = {
      {"GLY", 'G'}, {"ALA", 'A'}, {"VAL", 'V'}, {"LEU", 'L'}, {"ILE", 'I'},
      {"PHE", 'F'}, {"TYR", 'Y'}, {"TRP", 'W'}, {"ASP", 'D'}, {"GLU", 'E'},
      {"SER", 'S'}, {"THR", 'T'}, {"ASN", 'N'}, {"GLN", 'Q'}, {"LYS", 'K'},
      {"ARG", 'R'}, {"HIS", 'H'}, {"MET", 'M'}, {"CYS", 'C'}, {"PRO", 'P'}};
  int models = 0;
  for (const char* path :
       {"/usr/share/doc/pdb2pqr/examples/1a1p/1a1p.pdb", "/usr/share/pymol/data/demo/il2.pdb",
        "/usr/share/pymol/data/tut/1hpv.pdb"}) {
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
    std::vector<StructureChain> chains;
    std::string error;
    ASSERT_TRUE(read_structure(path, &chains, &error)) << error;
    for (const StructureChain& chain : chains) {
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
#if !defined(_WIN32)
  if (std::getenv("CI") != nullptr && std::string(std::getenv("CI")) == "true") {
    EXPECT_EQ(3, models) << "CI installs pdb2pqr-doc and pymol-data";
  }
#endif
}
