#include "plan/curves.h"

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

struct Planned {
  std::vector<Component> components;
  std::vector<SeriesLine> lines;
};

// The tests' run: the model at 0, 10, ... 100 % D2O, 2 mg/mL, curves to 0.3/A with P(r).
SeriesOptions run_of(const std::string& path, SeriesOptions options) {
  options.components.resize(1);
  options.components[0].path = path;
  options.step = 10.0;
  options.conc = 2.0;
  options.q_max = 0.3;
  options.q_points = 121;
  options.compute_pr = true;
  return options;
}

Planned plan(const std::string& path, const SeriesOptions& asked) {
  const SeriesOptions options = run_of(path, asked);
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

// Real models, where installed (CI installs them). Atoms as units carry their residues'
// scattering in full (the same I(0)); the shell's denser water changes I(0); two
// threads, which share the lines out, give the same bits.
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
    options.units = CurveUnits::kAtoms;
    const Planned atoms = plan(path, options);
    options.units = CurveUnits::kResidues;
    options.shell = true;
    const Planned shell = plan(path, options);
    options.threads = 2;
    const Planned two = plan(path, options);
    for (size_t l = 0; l < shell.lines.size(); ++l) {
      EXPECT_EQ(shell.lines[l].curves.intensity, two.lines[l].curves.intensity) << path;
      EXPECT_EQ(shell.lines[l].curves.pr, two.lines[l].curves.pr) << path;
    }
    for (size_t i = 0; i < r.lines[0].points.size(); ++i) {
      const double i0 = r.lines[0].curves.intensity[i][0];
      EXPECT_NEAR(i0, atoms.lines[0].curves.intensity[i][0], 1e-9 * i0) << path;
      EXPECT_NE(i0, shell.lines[0].curves.intensity[i][0]) << path;
    }
  }
  const char* ci = std::getenv("CI");
  if (ci != nullptr && std::string(ci) == "true") {
    EXPECT_EQ(3, models) << "CI installs pdb2pqr-doc and pymol-data";
  }
}

// The quadratic in the shell's density, from one pass over the pairs, is the curve the
// planner computes at each density, to rounding: 1hpv's complex at 0, 10 and 25 %.
TEST(ShellQuadratic, IsTheCurveAtEachDensity) {
  const char* path = "/usr/share/pymol/data/tut/1hpv.pdb";
  if (!std::filesystem::exists(path)) {
    GTEST_SKIP() << "pymol-data is not installed";
  }
  SeriesOptions options = run_of(path, {});
  const Planned first = plan(path, options);
  const Solvent solvent = solvent_of(options);
  const ShellQuadratic quadratic =
      shell_quadratic(first.components, options, solvent, first.lines.back());
  for (double t : {0.0, 10.0, 25.0}) {
    options.shell_density = t;
    const Planned at = plan(path, options);
    const LineCurves& curves = at.lines.back().curves;
    ASSERT_EQ(curves.intensity.size(), quadratic.a.size());
    for (size_t i = 0; i < quadratic.a.size(); i += 3) {
      for (size_t k = 0; k < quadratic.q.size(); k += 10) {
        const double expected = curves.intensity[i][k];
        const double got = quadratic.a[i][k] + t * quadratic.b[i][k] + t * t * quadratic.c[i][k];
        EXPECT_NEAR(expected, got, 1e-9 * std::fabs(curves.intensity[i][0]))
            << "t " << t << " point " << i << " q " << quadratic.q[k];
      }
    }
  }
}

// Apoferritin's 24-mer (2w0o, --assembly 1), whose operators are a group: the complex's
// curves summed as its first copy's pairs with all are those of all its pairs, to 1e-7
// of I(0), without a shell; with one, the first copy's share of the layer placed around
// every copy holds the whole layer's water (the same I(0)) and moves the curve by under
// 0.5 % of I(0) anywhere; and every chain, the same molecule turned, has the first
// chain's curves.
TEST(AddCurves, AssemblyFromItsFirstCopy) {
  const char* path = "/usr/lib/python3/dist-packages/sas/sasview/test/coordinate_data/2w0o.pdb";
  if (!std::filesystem::exists(path)) {
    GTEST_SKIP() << "python3-sasview is not installed";
  }
  for (bool shell : {false, true}) {
    SeriesOptions options;
    options.shell = shell;
    options.components.resize(1);
    options.components[0].assembly = 1;
    const Planned copies = plan(path, options);
    ASSERT_EQ(25u, copies.lines.size());
    ASSERT_EQ(24u, copies.lines.back().symmetry.size());
    std::vector<SeriesLine> plain = copies.lines;
    for (SeriesLine& line : plain) {
      line.symmetry.clear();
      line.curves = {};
    }
    options = run_of(path, options);
    add_curves(copies.components, options, solvent_of(options), &plain);
    const LineCurves& fast = copies.lines.back().curves;
    const LineCurves& all = plain.back().curves;
    ASSERT_EQ(all.intensity.size(), fast.intensity.size());
    for (size_t i = 0; i < all.intensity.size(); ++i) {
      const double i0 = all.intensity[i][0];
      EXPECT_NEAR(i0, fast.intensity[i][0], 1e-9 * i0) << "shell " << shell << " point " << i;
      for (size_t k = 0; k < all.intensity[i].size(); k += shell ? 20 : 1) {
        EXPECT_NEAR(all.intensity[i][k], fast.intensity[i][k], (shell ? 5e-3 : 1e-7) * i0)
            << "shell " << shell << " point " << i << " q " << k;
      }
    }
    for (size_t c = 1; c + 1 < copies.lines.size(); ++c) {
      EXPECT_EQ(copies.lines[0].curves.intensity, copies.lines[c].curves.intensity)
          << copies.lines[c].label;
    }
  }
}

// A model's chains that are one molecule moved have that molecule's curves, shell and
// all, whatever the grid's shell about each would have been: 1hpv's chain A, as itself,
// turned a quarter about z (exact in the file's digits), and turned 30 degrees (the
// file's digits round it to 5e-4 A). One atom 0.2 A out of place makes a chain of its
// own; so do the first residue's N and CA in each other's places, which leave the
// residue's centre where it was but not its atoms' scattering.
TEST(AddCurves, ChainsThatAreOneMoleculeMoved) {
  const char* source = "/usr/share/pymol/data/tut/1hpv.pdb";
  if (!std::filesystem::exists(source)) {
    GTEST_SKIP() << "pymol-data is not installed";
  }
  std::vector<std::string> atoms;
  std::istringstream lines(read_file(source));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("ATOM", 0) == 0 && line[21] == 'A') {
      atoms.push_back(line);
    }
  }
  const double pi = std::acos(-1.0);
  const struct {
    char chain;
    double turn, dx;
    bool nudged, swapped;
  } chains[] = {{'A', 0.0, 0.0, false, false},
                {'B', pi / 2, 90.0, false, false},
                {'C', pi / 6, -90.0, false, false},
                {'D', pi / 6, 0.0, true, false},
                {'E', pi / 2, -180.0, false, true}};
  std::string model;
  for (const auto& c : chains) {
    for (size_t i = 0; i < atoms.size(); ++i) {
      const std::string& a = atoms[i];
      const std::string& at = atoms[c.swapped && i < 2 ? 1 - i : i];
      const double x = std::stod(at.substr(30, 8)), y = std::stod(at.substr(38, 8)),
                   z = std::stod(at.substr(46, 8));
      const double turned_x = std::cos(c.turn) * x - std::sin(c.turn) * y + c.dx +
                              (c.nudged && i == atoms.size() / 2 ? 0.2 : 0.0);
      const double turned_y = std::sin(c.turn) * x + std::cos(c.turn) * y;
      char xyz[32];
      std::snprintf(xyz, sizeof xyz, "%8.3f%8.3f%8.3f", turned_x, turned_y,
                    z + 100.0 * (c.chain - 'A'));
      model += a.substr(0, 21) + c.chain + a.substr(22, 8) + xyz + a.substr(54) + "\n";
    }
  }
  ScopedTempDir directory;
  write_file("moved.pdb", model + "END\n");
  const Planned r = plan("moved.pdb", {});
  ASSERT_EQ(6u, r.lines.size());
  EXPECT_EQ(r.lines[0].curves.intensity, r.lines[1].curves.intensity);
  EXPECT_EQ(r.lines[0].curves.intensity, r.lines[2].curves.intensity);
  EXPECT_NE(r.lines[0].curves.intensity, r.lines[3].curves.intensity);
  EXPECT_EQ(r.lines[0].curves.pr, r.lines[2].curves.pr);
  SeriesOptions by_atoms;
  by_atoms.units = CurveUnits::kAtoms;
  const Planned atoms_r = plan("moved.pdb", by_atoms);
  EXPECT_EQ(atoms_r.lines[0].curves.intensity, atoms_r.lines[1].curves.intensity);
  EXPECT_NE(atoms_r.lines[0].curves.intensity, atoms_r.lines[4].curves.intensity);
}

// The q grid runs from 0 (or, with --q-log, q_max / 500) to q_max itself, evenly in q
// or in log q: 0.5 / sqrt(500) = 0.0223607 halfway.
TEST(QGrid, EndsAtQMax) {
  const struct {
    bool log;
    int points;
    std::vector<double> q;
  } cases[] = {{false, 5, {0.0, 0.125, 0.25, 0.375, 0.5}},
               {true, 3, {0.001, 0.5 / std::sqrt(500.0), 0.5}}};
  for (const auto& c : cases) {
    SeriesOptions options;
    options.q_max = 0.5;
    options.q_log = c.log;
    options.q_points = c.points;
    const std::vector<double> q = q_grid(options);
    ASSERT_EQ(c.q.size(), q.size());
    for (size_t k = 0; k < q.size(); ++k) {
      EXPECT_NEAR(c.q[k], q[k], 1e-15) << k;
    }
  }
}

// With a camera whose last ring lies past q_max, the grid goes on in its own steps to
// that ring plus four of its resolution widths, so that no smeared ring sees a curve
// held at I(q_max); the shown part is q_grid's. A continuation that would need more
// than MAX_Q_POINTS points takes that many in wider steps.
TEST(CurveGrid, ReachesTheLastRingsTail) {
  Configuration camera;  // 2 m from a 640 mm detector at 5 A: its last ring near 0.196
  camera.wavelength = 5.0;
  camera.spread = 0.15;
  camera.source_aperture = 38.0;
  camera.sample_aperture = 12.7;
  camera.collimation = 4.5;
  camera.distance = 2.0;
  camera.detector = 640.0;
  camera.pixel = 5.0;
  const ConfigurationBins rings = configuration_bins(camera);
  const double reach = rings.q.back() + 4.0 * rings.sigma.back();
  const struct {
    double q_max;
    int points;
    bool log;
    bool equal_steps;
  } cases[] = {{0.19, 201, false, true}, {0.19, 201, true, false}, {0.02, 10001, false, false}};
  for (const auto& c : cases) {
    SeriesOptions options;
    options.q_max = c.q_max;
    options.q_points = c.points;
    options.q_log = c.log;
    options.configurations = {camera};
    set_rings(&options);
    const CurveGrid grid = curve_grid(options);
    const std::vector<double> shown = q_grid(options);
    ASSERT_EQ(shown.size(), grid.shown) << c.q_max;
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), grid.q.begin())) << c.q_max;
    EXPECT_GE(grid.q.back(), reach) << c.q_max;
    EXPECT_LE(grid.q.size() - grid.shown, static_cast<size_t>(MAX_Q_POINTS)) << c.q_max;
    EXPECT_EQ(c.equal_steps, grid.equal_steps) << c.q_max;
    if (!c.log && c.equal_steps) {  // the same step throughout, and no more than needed
      EXPECT_NEAR(grid.q[grid.shown] - grid.q[grid.shown - 1], c.q_max / (c.points - 1), 1e-15);
      EXPECT_LT(grid.q[grid.q.size() - 2], reach);
    }
  }
  SeriesOptions plain;  // no camera: no continuation
  EXPECT_EQ(q_grid(plain), curve_grid(plain).q);
}
