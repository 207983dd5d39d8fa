#include "plan/structure_components.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

const std::string MODEL = std::string(QUORVANE_GOLDEN_DIR) + "/structure_model_pdb/input/model.pdb";

// Loads the first component of `options`, its warnings into `*warnings` when given.
std::vector<Component> load_options(const SeriesOptions& options,
                                    std::vector<std::string>* warnings = nullptr) {
  std::vector<Component> components;
  const Solvent solvent = solvent_of(options);
  std::vector<std::string> heard;
  PlanError error;
  EXPECT_TRUE(load_components({&options, &solvent, nullptr}, 0, &components, &heard, &error))
      << error.message;
  if (warnings != nullptr) {
    *warnings = heard;
  }
  return components;
}

std::vector<Component> load(const ComponentSpec& spec, bool ligands = false) {
  SeriesOptions options;
  options.components = {spec};
  options.components[0].path = MODEL;
  options.ligands = ligands;
  return load_options(options);
}

}  // namespace

// Chains are labelled by the file and their names, so that a model listed twice with
// different chains gives different labels.
TEST(LoadStructureComponents, LabelsNameTheChains) {
  struct Case {
    std::vector<std::string> chains;
    std::string label;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {{}, "", {"model_A", "model_B"}},
      {{}, "hiv", {"hiv_A", "hiv_B"}},
      {{"A"}, "", {"model_A"}},
      {{"A"}, "protease", {"protease"}},
  };
  for (const Case& c : cases) {
    ComponentSpec spec;
    spec.chains = c.chains;
    spec.label = c.label;
    std::vector<std::string> labels;
    for (const Component& component : load(spec)) {
      labels.push_back(component.spec.label);
    }
    EXPECT_EQ(c.labels, labels) << c.label;
  }
  // A protein and a DNA chain cannot be one component.
  SeriesOptions options;
  options.components.resize(1);
  options.components[0].path = MODEL;
  options.components[0].chains = {"A", "B"};
  std::vector<Component> components;
  const Solvent solvent = solvent_of(options);
  std::vector<std::string> warnings;
  PlanError error;
  EXPECT_FALSE(load_components({&options, &solvent, nullptr}, 0, &components, &warnings, &error));
  EXPECT_EQ(MODEL + ": chains A and B are of different types; give them as two components",
            error.message);
}

// --psv takes the volume from the mass with the ligands that --ligands adds. By hand,
// with the element table: GLY GLY TRP MET(Se) ALA in H2O with a water, 567.49678
// g/mol, and the SO4 as modelled (S and one O), 48.0644 g/mol: 615.56118 g/mol x 0.73
// cm^3/g x 1e24 / N_A.
TEST(LoadStructureComponents, PsvCountsTheLigands) {
  ComponentSpec spec;
  spec.chains = {"A"};
  spec.psv = 0.73;
  EXPECT_NEAR(746.179273, load(spec, true).at(0).makeup.volume, 1e-5);
  EXPECT_NEAR(687.915919, load(spec, false).at(0).makeup.volume, 1e-5);
}

// A glycan residue joins its protein with Perkins' composition and volume, whether or
// not --ligands is given; a DNA chain whose first nucleotide has no phosphorus loses
// one sodium phosphate (NaPO3, 101.96 g/mol by hand) and its share of the volume.
TEST(LoadStructureComponents, GlycansAndFivePrimeEnds) {
  ScopedTempDir dir;
  write_file("glyco.pdb",
             "ATOM      1  CA  GLY A   1       0.000   0.000   0.000  1.00 20.00           C\n"
             "ATOM      2  CA  ALA A   2       3.800   0.000   0.000  1.00 20.00           C\n"
             "HETATM    3  C1  NAG A 101       6.000   2.000   0.000  1.00 20.00           C\n"
             "HETATM    4  O5  NAG A 101       6.500   2.500   0.000  1.00 20.00           O\n"
             "ATOM      5  N9   DA B   1      20.000   0.000   0.000  1.00 20.00           N\n"
             "ATOM      6  P    DT B   2      20.000   6.000   0.000  1.00 20.00           P\n"
             "ATOM      7  N1   DT B   2      21.000   6.000   0.000  1.00 20.00           N\n"
             "END\n");
  SeriesOptions options;
  options.components.resize(1);
  options.components[0].path = "glyco.pdb";
  const Solvent solvent = solvent_of(options);
  std::vector<Component> components;
  std::vector<std::string> warnings;
  PlanError error;
  ASSERT_TRUE(load_components({&options, &solvent, nullptr}, 0, &components, &warnings, &error))
      << error.message;
  ASSERT_EQ(2u, components.size());
  const Component& protein = components[0];
  EXPECT_EQ(3u, protein.placed.size());  // two residues and the NAG
  const double gly_ala = 2 * 12.0107 + 3 * 1.00794 + 14.0067 + 15.9994 +  // C2H3NO
                         3 * 12.0107 + 5 * 1.00794 + 14.0067 + 15.9994;   // C3H5NO
  const double nag = 8 * 12.0107 + 13 * 1.00794 + 14.0067 + 5 * 15.9994;
  EXPECT_NEAR(gly_ala + nag + 18.01528, weighed_mass(protein.makeup, solvent), 1e-9);
  EXPECT_NE(std::string::npos, protein.notes.back().find("glycan residues counted with "
                                                         "Perkins' compositions and volumes: NAG"))
      << protein.notes.back();
  const Component& dna = components[1];
  const double dna_a = 10 * 12.0107 + 11 * 1.00794 + 5 * 14.0067 + 5 * 15.9994 + 30.973761 +
                       22.98977;  // dA, sodium salt, as H
  const double dna_t =
      10 * 12.0107 + 12 * 1.00794 + 2 * 14.0067 + 7 * 15.9994 + 30.973761 + 22.98977;
  const double phosphate = 22.98977 + 30.973761 + 3 * 15.9994;
  EXPECT_NEAR(101.9617, phosphate, 1e-4);
  EXPECT_NEAR(dna_a + dna_t - phosphate + 18.01528, weighed_mass(dna.makeup, solvent), 1e-9);
  EXPECT_NEAR(289.0 * (1 - phosphate / (dna_a + 2 * 1.006162)), dna.placed[0].unit.volume, 1e-9);
  EXPECT_EQ(301.0, dna.placed[1].unit.volume);
}

// Models written by simulation programs: each force field's residue name counts as the
// residue it is, with the hydrogens its protonation names against the table's row (a
// neutral histidine one labile H fewer than the charged one, a protonated aspartate
// one more, a disulfide cysteine its thiol H less), and terminal nucleotides as their
// nucleotide. The same chain with the standard names is the reference.
TEST(LoadStructureComponents, ForceFieldNames) {
  struct Case {
    std::vector<const char*> simulation, standard;
    double labile_change, electron_change;
  };
  const Case cases[] = {
      {{"GLY", "HSD", "GLY"}, {"GLY", "HIS", "GLY"}, -1, 0},
      {{"GLY", "HIE", "GLY"}, {"GLY", "HIS", "GLY"}, -1, 0},
      {{"GLY", "HIP", "GLY"}, {"GLY", "HIS", "GLY"}, 0, 0},
      {{"GLY", "CYX", "GLY"}, {"GLY", "CYS", "GLY"}, -1, -1},
      {{"GLY", "ASH", "GLH", "GLY"}, {"GLY", "ASP", "GLU", "GLY"}, 2, 0},
      {{"GLY", "LYN", "ARN", "GLY"}, {"GLY", "LYS", "ARG", "GLY"}, -2, 0},
      {{"DA5", "DC", "DG", "THY", "DT3"}, {"DA", "DC", "DG", "DT", "DT"}, 0, 0},
      {{"ADE", "CYT", "GUA", "THY"}, {"DA", "DC", "DG", "DT"}, 0, 0},
      {{"RA5", "URA", "RG", "C3"}, {"A", "U", "G", "C"}, 0, 0},
  };
  ScopedTempDir dir;
  const auto totals = [](const std::vector<const char*>& names, const char* path) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
      char line[128];
      // A P on each nucleotide, so that no 5' phosphate is taken off; an O2' on the
      // RNA ones (one-letter names and URA), which CHARMM's ADE, CYT and GUA lack in DNA.
      const bool rna = std::string(names[i]).size() == 1 || std::string(names[i]) == "URA" ||
                       names[i][0] == 'R' || std::string(names[i]) == "C3";
      const char* atoms[] = {"CA ", "P  ", "O2'"};
      for (int a = 0; a < (rna ? 3 : 2); ++a) {
        std::snprintf(line, sizeof line,
                      "ATOM  %5d  %s %3s A%4zu    %8.3f%8.3f%8.3f  1.00 20.00           %c\n",
                      static_cast<int>(3 * i) + a + 1, atoms[a], names[i], i + 1,
                      3.8 * static_cast<double>(i), 0.5 * a, 0.0, atoms[a][0]);
        text += line;
      }
    }
    write_file(path, text + "END\n");
    SeriesOptions options;
    options.components.resize(1);
    options.components[0].path = path;
    const std::vector<Component> components = load_options(options);
    Unit sum{};
    int64_t residues = 0;
    for (const Component& c : components) {
      residues += c.composition.residues;
      for (const Part& part : c.makeup.parts) {
        sum.mass += part.count * part.unit.mass;
        sum.exchangeable_h += part.count * part.unit.exchangeable_h;
        sum.electrons += part.count * part.unit.electrons;
      }
    }
    sum.volume = static_cast<double>(residues);
    return sum;
  };
  const double d_mass = 2.014102;
  for (const Case& c : cases) {
    const Unit simulated = totals(c.simulation, "simulated.pdb");
    const Unit standard = totals(c.standard, "standard.pdb");
    const std::string name = c.simulation[1];
    EXPECT_EQ(static_cast<double>(c.standard.size()), simulated.volume) << name;
    EXPECT_EQ(standard.volume, simulated.volume) << name;
    EXPECT_NEAR(standard.exchangeable_h + c.labile_change, simulated.exchangeable_h, 1e-9) << name;
    EXPECT_NEAR(standard.mass + c.labile_change * d_mass, simulated.mass, 1e-9) << name;
    EXPECT_NEAR(standard.electrons + c.electron_change, simulated.electrons, 1e-9) << name;
  }
}

// Ligands with --ligands, their hydrogens missing from the model as in most crystal
// structures: a common one takes the dictionary's formula, one given with --ligand its
// formula, and any other its modelled atoms with a warning that names it.
TEST(LoadStructureComponents, LigandsGetTheirHydrogens) {
  ScopedTempDir dir;
  std::string text;
  const char* ligands[] = {"GOL", "XYZ"};
  int serial = 0;
  for (int i = 0; i < 3; ++i) {
    char line[96];
    std::snprintf(line, sizeof line,
                  "ATOM  %5d  CA  GLY A%4d    %8.3f   0.000   0.000  1.00 20.00           C\n",
                  ++serial, i + 1, 3.8 * i);
    text += line;
  }
  for (int l = 0; l < 2; ++l) {
    for (const char* atom : {"C1", "C2", "O3"}) {
      char line[96];
      ++serial;
      std::snprintf(line, sizeof line,
                    "HETATM%5d  %-3s %s A%4d    %8.3f   5.000   0.000  1.00 20.00           %c\n",
                    serial, atom, ligands[l], 101 + l, 1.5 * serial, atom[0]);
      text += line;
    }
  }
  write_file("lig.pdb", text + "END\n");
  struct Case {
    std::vector<GivenLigand> given;
    double gol_mass, xyz_mass;  // as weighed, g/mol
    size_t warnings;
  };
  // GOL is C3H8O3 (92.094 g/mol); XYZ as modelled, C2O without H, or given as C2H6O.
  const double c = 12.0107, h = 1.00794, o = 15.9994;
  Unit ethanol{};
  std::string ignored;
  parse_formula("C2H6O", 1, &ethanol, &ignored);
  const Case cases[] = {
      {{}, 3 * c + 8 * h + 3 * o, 2 * c + o, 1},
      {{{"XYZ", "C2H6O", 1, ethanol}}, 3 * c + 8 * h + 3 * o, 2 * c + 6 * h + o, 0},
  };
  for (const Case& k : cases) {
    SeriesOptions options;
    options.ligands = true;
    options.ligand_formulas = k.given;
    options.components.resize(1);
    options.components[0].path = "lig.pdb";
    std::vector<std::string> warnings;
    const std::vector<Component> components = load_options(options, &warnings);
    ASSERT_EQ(1u, components.size());
    // The glycines and water, then each ligand's part at the end.
    const std::vector<Part>& parts = components[0].makeup.parts;
    ASSERT_LE(2u, parts.size());
    const Unit& gol = parts[parts.size() - 2].unit;
    const Unit& xyz = parts.back().unit;
    EXPECT_NEAR(k.gol_mass, gol.mass - gol.exchangeable_h * 1.006162, 1e-6);
    EXPECT_EQ(3.0, gol.exchangeable_h);
    EXPECT_NEAR(k.xyz_mass, xyz.mass - xyz.exchangeable_h * 1.006162, 1e-6);
    // Volumes from the masses as weighed at 0.73 cm^3/g: 1 g/mol is 1/0.602214076 A^3.
    EXPECT_NEAR(k.gol_mass * 0.73 / 0.602214076, gol.volume, 1e-6);
    EXPECT_NEAR(k.xyz_mass * 0.73 / 0.602214076, xyz.volume, 1e-6);
    EXPECT_EQ(k.warnings, warnings.size());
    if (k.warnings == 1 && !warnings.empty()) {
      EXPECT_EQ(
          "lig.pdb lig_A: ligand XYZ is in no table of the planner and its model has no "
          "hydrogens: it is counted without them, too light; give its formula with --ligand "
          "XYZ=FORMULA:LABILE",
          warnings[0]);
    }
  }
}
