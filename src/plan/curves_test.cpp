#include "plan/curves.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

// A compact made-up protein: residues on a jittered 5 A grid filling a 20 A sphere,
// each of three atoms, the sequence cycling through the twenty residues.
std::string compact_model() {
  const char* names[] = {"GLY", "ALA", "VAL", "LEU", "ILE", "PHE", "TYR", "TRP", "ASP", "GLU",
                         "SER", "THR", "ASN", "GLN", "LYS", "ARG", "HIS", "MET", "CYS", "PRO"};
  std::string pdb;
  int serial = 0, residue = 0;
  for (int i = -4; i <= 4; ++i) {
    for (int j = -4; j <= 4; ++j) {
      for (int k = -4; k <= 4; ++k) {
        const double x = 5.0 * i + 0.3 * j, y = 5.0 * j + 0.2 * k, z = 5.0 * k + 0.1 * i;
        if (x * x + y * y + z * z > 400.0) {
          continue;
        }
        ++residue;
        for (const char* atom : {" N  ", " CA ", " C  "}) {
          char line[90];
          std::snprintf(line, sizeof line,
                        "ATOM  %5d %s %s A%4d    %8.3f%8.3f%8.3f  1.00 20.00           %c\n",
                        ++serial, atom, names[residue % 20], residue, x + 0.7 * (atom[1] == 'C'), y,
                        z + 0.5 * (atom[2] == ' '), atom[1]);
          pdb += line;
        }
      }
    }
  }
  return pdb + "END\n";
}

struct Planned {
  std::vector<Component> components;
  std::vector<SeriesLine> lines;
};

Planned plan(const std::string& path, SeriesOptions options) {
  options.components.resize(1);
  options.components[0].path = path;
  options.step = 10.0;
  options.conc = 2.0;
  options.q_max = 0.3;
  options.q_points = 121;
  options.pr_path = "p.csv";  // asks for P(r) too
  const Solvent solvent = solvent_of(options);
  Planned r;
  std::vector<std::string> warnings;
  PlanError error;
  EXPECT_TRUE(load_components({&options, &solvent, nullptr}, 0, &r.components, &warnings, &error))
      << error.message;
  r.lines = compute_series(r.components, options, solvent);
  add_curves(r.components, options, solvent, &r.lines);
  return r;
}

// Without a shell, a line's curve at q = 0 is its I(0) from the composition, P(r)
// integrates to it, and the Guinier fit gives its radius of gyration, within 1 %,
// wherever that is defined and stays clear of the match point.
void expect_consistent(const SeriesLine& line, const std::string& name) {
  ASSERT_EQ(line.points.size(), line.curves.intensity.size()) << name;
  for (size_t i = 0; i < line.points.size(); ++i) {
    const SeriesPoint& p = line.points[i];
    const double percent = p.d2o_fraction * 100.0;
    EXPECT_NEAR(p.forward_scattering, line.curves.intensity[i][0], 1e-3 * p.forward_scattering)
        << name << " at " << percent << " %";
    double area = 0.0;
    for (double value : line.curves.pr[i]) {
      area += value * PR_STEP;
    }
    EXPECT_NEAR(line.curves.intensity[i][0], area, 1e-9 * line.curves.intensity[i][0]) << name;
    if (line.in_fit[i]) {
      ASSERT_TRUE(line.curves.guinier[i].fitted) << name << " at " << percent << " %";
      EXPECT_NEAR(std::sqrt(line.gyration[i].rg2), std::sqrt(line.curves.guinier[i].rg2),
                  0.01 * std::sqrt(line.gyration[i].rg2))
          << name << " at " << percent << " %";
    }
  }
}

}  // namespace

TEST(AddCurves, AgreeWithTheSeriesFigures) {
  ScopedTempDir dir;
  write_file("compact.pdb", compact_model());
  SeriesOptions options;
  options.shell = false;
  const Planned residues = plan("compact.pdb", options);
  ASSERT_EQ(1u, residues.lines.size());
  expect_consistent(residues.lines[0], "compact");
  // Atoms as units carry their residues' scattering in full: the same I(0).
  options.units = CurveUnits::kAtoms;
  const Planned atoms = plan("compact.pdb", options);
  for (size_t i = 0; i < atoms.lines[0].points.size(); ++i) {
    EXPECT_NEAR(residues.lines[0].curves.intensity[i][0], atoms.lines[0].curves.intensity[i][0],
                1e-9 * residues.lines[0].curves.intensity[i][0]);
  }
  // Threads share the work, never the figures.
  options.units = CurveUnits::kResidues;
  options.shell = true;
  options.threads = 1;
  const Planned one = plan("compact.pdb", options);
  options.threads = 3;
  const Planned three = plan("compact.pdb", options);
  EXPECT_EQ(one.lines[0].curves.intensity, three.lines[0].curves.intensity);
  // The shell adds scattering where the water is denser: in D2O the shell's contrast
  // has the opposite sign of the protein's, in H2O the same as the solvent's.
  EXPECT_NE(residues.lines[0].curves.intensity.back()[0], one.lines[0].curves.intensity.back()[0]);
}

// Real models, where installed (CI installs them): the same agreements.
TEST(AddCurves, RealModels) {
  int models = 0;
  for (const char* path :
       {"/usr/share/doc/pdb2pqr/examples/1a1p/1a1p.pdb", "/usr/share/pymol/data/demo/il2.pdb",
        "/usr/share/pymol/data/tut/1hpv.pdb"}) {
    if (!std::filesystem::exists(path)) {
      continue;
    }
    ++models;
    SeriesOptions options;
    options.shell = false;
    const Planned r = plan(path, options);
    for (const SeriesLine& line : r.lines) {
      expect_consistent(line, std::string(path) + " " + line.label);
    }
  }
  const char* ci = std::getenv("CI");
  if (ci != nullptr && std::string(ci) == "true") {
    EXPECT_EQ(3, models) << "CI installs pdb2pqr-doc and pymol-data";
  }
}
