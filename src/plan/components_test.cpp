#include "plan/components.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plan/series_lines.h"
#include "test_util.h"

namespace {

struct Loaded {
  bool ok;
  std::vector<Component> components;
  PlanError error;
};

// Loads the one component `spec` describes, its file's text given as standard input.
Loaded load(const ComponentSpec& spec, const std::string& text, bool records = false) {
  SeriesOptions options;
  options.components = {spec};
  options.records = records;
  options.components[0].path = "-";
  std::FILE* in = stream_with(text);
  Loaded loaded;
  const Solvent solvent = solvent_of(options);
  std::vector<std::string> warnings;
  loaded.ok =
      load_components({&options, &solvent, in}, 0, &loaded.components, &warnings, &loaded.error);
  std::fclose(in);
  return loaded;
}

// Loads the file at `path` as the only component.
Loaded load_file(const std::string& path) {
  SeriesOptions options;
  ComponentSpec spec;
  spec.path = path;
  options.components = {spec};
  Loaded loaded;
  const Solvent solvent = solvent_of(options);
  std::vector<std::string> warnings;
  loaded.ok = load_components({&options, &solvent, nullptr}, 0, &loaded.components, &warnings,
                              &loaded.error);
  return loaded;
}

ComponentSpec typed(ChainKind kind, bool given) {
  ComponentSpec spec;
  spec.kind = kind;
  spec.kind_given = given;
  return spec;
}

}  // namespace

// A sequence of only the letters nucleic acids share with proteins, read as protein
// because no -t was given, stops the run; -t protein or -t dna plans it.
TEST(LoadComponents, NucleicAcidReadAsProtein) {
  struct Case {
    const char* text;
    ChainKind kind;
    bool kind_given;
    bool ok;
  };
  const Case cases[] = {
      {">op\nACGTACGTAC\n", ChainKind::kProtein, false, false},
      {">op\nacgunacgun\n", ChainKind::kProtein, false, false},
      {">op\nACGTACGTAC\n", ChainKind::kProtein, true, true},
      {">op\nACGTACGTAC\n", ChainKind::kDna, true, true},
      {">op\nACGTACGTA\n", ChainKind::kProtein, false, true},    // nine letters: a peptide
      {">op\nACGTACGTACK\n", ChainKind::kProtein, false, true},  // K is no nucleotide
  };
  for (const Case& c : cases) {
    const Loaded loaded = load(typed(c.kind, c.kind_given), c.text);
    EXPECT_EQ(c.ok, loaded.ok) << c.text;
    if (!c.ok) {
      EXPECT_EQ(
          "-: holds only the letters A, C, G, T, U and N, as DNA or RNA does; give -t dna or -t "
          "rna before it, or -t protein if it really is a protein",
          loaded.error.message);
      EXPECT_TRUE(loaded.error.usage);
      EXPECT_EQ("--type", loaded.error.setting);
    }
  }
}

// Default labels: the file's name for one record, each record's ID for several (its
// control bytes shown as \xNN, never passed to a terminal), and a numbered name where a
// record has none.
TEST(LoadComponents, Labels) {
  const Loaded one = load(ComponentSpec(), ">sp|P1|A\nGAK\n");
  ASSERT_TRUE(one.ok);
  EXPECT_EQ("stdin", one.components.at(0).spec.label);
  const Loaded several = load(ComponentSpec(), ">A chain\nGAK\n>\nWW\n>C\x1b[2J\nGG\n");
  ASSERT_TRUE(several.ok) << several.error.message;
  ASSERT_EQ(3u, several.components.size());
  EXPECT_EQ("A", several.components[0].spec.label);
  EXPECT_EQ("stdin_2", several.components[1].spec.label);
  EXPECT_EQ("C\\x1B[2J", several.components[2].spec.label);
  ComponentSpec named;
  named.label = "lysozyme";
  EXPECT_EQ("lysozyme", load(named, "GAK\n").components.at(0).spec.label);
}

// A record that cannot be planned stops a series, but keeps its place in --records,
// with the reason, so that one bad record does not cost a whole screen.
TEST(LoadComponents, RecordsKeepGoing) {
  const std::string text = ">good\nGAK\n>empty\n>odd\nGAOK\n>cys\nCC\n";
  ComponentSpec spec;
  spec.disulfides = 2;
  const Loaded series = load(spec, text);
  EXPECT_FALSE(series.ok);
  EXPECT_EQ(
      "-, record good: 2 disulfides need 4 cysteines, and it has 0; give --disulfides 0 "
      "or fewer",
      series.error.message);
  EXPECT_TRUE(series.error.usage);
  const Loaded records = load(spec, text, true);
  ASSERT_TRUE(records.ok);
  ASSERT_EQ(4u, records.components.size());
  const char* errors[] = {
      "-, record good: 2 disulfides need 4 cysteines, and it has 0; give --disulfides 0 or fewer",
      "-, record empty: holds no residues in the one-letter code; check the file or give its "
      "code with --code",
      "-, record odd: 1 entry names no residue, the first \"O\"; correct the file, give its code "
      "with --code, or leave them out with --allow-unknown",
      "-, record cys: 2 disulfides need 4 cysteines, and it has 2; give --disulfides 1 or fewer"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(errors[i], records.components[i].error) << i;
  }
}

// Files as editors and archives leave them: a byte-order mark before the first entry
// and a gzipped file read the same residues as the plain text, in every code; a
// gzipped file cut short is refused, never read as far as it goes.
TEST(LoadComponents, ByteOrderMarkAndGzip) {
  ScopedTempDir dir;
  const std::string bom = "\xEF\xBB\xBF";
  struct Case {
    const char* text;
    int64_t residues;
  };
  const Case cases[] = {
      {">LYS\nKVFGRCELAAAMKRHGLDNYRGY\n", 23},  // a header, read as letters if missed
      {"GLY ALA LYS\n", 3},
      {"0 1 8\n", 3},
  };
  for (const Case& c : cases) {
    write_file("plain.txt", c.text);
    write_file("marked.txt", bom + c.text);
    write_file("packed.txt.gz", gzip_bytes(bom + c.text));
    const Loaded plain = load_file("plain.txt");
    ASSERT_TRUE(plain.ok) << c.text << plain.error.message;
    ASSERT_EQ(c.residues, plain.components.at(0).composition.residues) << c.text;
    for (const char* path : {"marked.txt", "packed.txt.gz"}) {
      const Loaded other = load_file(path);
      ASSERT_TRUE(other.ok) << path << ": " << other.error.message;
      const Composition& a = plain.components.at(0).composition;
      const Composition& b = other.components.at(0).composition;
      EXPECT_EQ(a.residues, b.residues) << path << c.text;
      EXPECT_EQ(0, b.unknown) << path << c.text;
      for (int row = 0; row < RESIDUE_ROWS; ++row) {
        EXPECT_EQ(a.rows[row], b.rows[row]) << path << " row " << row << c.text;
      }
    }
  }
  const std::string packed = gzip_bytes(">lys\nKVFGRCELAAAMKRHGLDNYRGY\n");
  write_file("cut.fasta.gz", packed.substr(0, packed.size() - 6));
  const Loaded cut = load_file("cut.fasta.gz");
  EXPECT_FALSE(cut.ok);
  EXPECT_EQ("cut.fasta.gz: the gzip stream ends early: the file is cut short; copy it again",
            cut.error.message);
}

// A protein known by its mass is the average composition of Swiss-Prot (PROSITE's
// table, in hundredths of a percent: A 755, C 169...) scaled to that mass: a sequence of
// exactly those counts, 9987 residues, and the mass it weighs give the same residues,
// match point and contrast, deuterated or not; 50.7 kDa, the mass of KinA, is 455
// residues of the mean residue mass near 111 Da.
TEST(LoadComponents, ByMassIsTheAverageComposition) {
  const struct {
    char letter;
    int count;
  } table[] = {{'A', 755}, {'C', 169}, {'D', 530}, {'E', 632}, {'F', 407}, {'G', 684}, {'H', 224},
               {'I', 572}, {'K', 593}, {'L', 933}, {'M', 235}, {'N', 452}, {'P', 492}, {'Q', 402},
               {'R', 515}, {'S', 722}, {'T', 574}, {'V', 652}, {'W', 125}, {'Y', 319}};
  std::string sequence;
  for (const auto& row : table) {
    sequence += std::string(static_cast<size_t>(row.count), row.letter);
  }
  SeriesOptions options;
  const Solvent solvent = solvent_of(options);
  for (double deuteration : {0.0, 85.0}) {
    ComponentSpec spec;
    spec.deuteration = deuteration;
    const Loaded read = load(spec, sequence + "\n");
    ASSERT_TRUE(read.ok) << read.error.message;
    const Component& by_sequence = read.components.at(0);
    ComponentSpec protonated;
    const double mass =
        weighed_mass(load(protonated, sequence + "\n").components.at(0).makeup, solvent);
    spec.mass_kda = mass / 1000.0;
    const Loaded weighed = load(spec, "");
    ASSERT_TRUE(weighed.ok) << weighed.error.message;
    const Component& by_mass = weighed.components.at(0);
    EXPECT_EQ(9987, by_mass.composition.residues);
    double a = 0.0, b = 0.0;
    ASSERT_TRUE(component_match(by_sequence, solvent, &a));
    ASSERT_TRUE(component_match(by_mass, solvent, &b));
    EXPECT_NEAR(a, b, 1e-9) << deuteration;
    EXPECT_NEAR(series_point(by_sequence.makeup, solvent, 0.0).contrast,
                series_point(by_mass.makeup, solvent, 0.0).contrast, 1e-6)
        << deuteration;
  }
  ComponentSpec kina;
  kina.mass_kda = 50.7;
  const Loaded weighed = load(kina, "");
  EXPECT_EQ(455, weighed.components.at(0).composition.residues);
  EXPECT_EQ("protein_50.7kDa", weighed.components.at(0).spec.label);
}
