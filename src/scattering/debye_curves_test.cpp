#include "scattering/debye_curves.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr double PI = 3.14159265358979323846;

std::vector<double> q_steps(double q_max, int n) {
  std::vector<double> q;
  q.reserve(static_cast<size_t>(n));
  for (int k = 0; k < n; ++k) {
    q.push_back(q_max * k / (n - 1));
  }
  return q;
}

// The Debye sum by a plain double loop over every pair: sum_ij b_i b_j sin(q r)/(q r).
double naive(const std::vector<ScatteringUnit>& u, double q, double x) {
  double sum = 0.0;
  for (const ScatteringUnit& i : u) {
    for (const ScatteringUnit& j : u) {
      const double r = std::sqrt((i.x - j.x) * (i.x - j.x) + (i.y - j.y) * (i.y - j.y) +
                                 (i.z - j.z) * (i.z - j.z));
      const double qr = q * r;
      sum += (i.a + i.c * x) * (j.a + j.c * x) * (qr == 0.0 ? 1.0 : std::sin(qr) / qr);
    }
  }
  return sum;
}

// Identical units on a cubic lattice of `spacing` filling a sphere of `radius`, at `dx`.
std::vector<ScatteringUnit> lattice_sphere(double radius, double spacing, double dx) {
  std::vector<ScatteringUnit> u;
  const int m = static_cast<int>(radius / spacing) + 1;
  for (int i = -m; i <= m; ++i) {
    for (int j = -m; j <= m; ++j) {
      for (int k = -m; k <= m; ++k) {
        const double x = i * spacing, y = j * spacing, z = k * spacing;
        if (x * x + y * y + z * z <= radius * radius) {
          u.push_back({x + dx, y, z, 1.0, 0.0});
        }
      }
    }
  }
  return u;
}

// The form factor of a uniform sphere, 3 (sin qR - qR cos qR) / (qR)^3.
double sphere(double q, double r) {
  const double t = q * r;
  return t == 0.0 ? 1.0 : 3.0 * (std::sin(t) - t * std::cos(t)) / (t * t * t);
}

}  // namespace

// Nine hundred units at random, most of four kinds as a protein's residues are (whose
// pairs are summed by kind, their lengths factored out) and some each of its own: the
// histogram path against the double loop, within 1e-4 of the intensity up to q = 0.5,
// at three contrasts; and the three-histogram combination equals a histogram of each
// contrast's own lengths.
TEST(DebyeSums, AgainstADoubleLoop) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> place(-15.0, 15.0), weight(1.0, 3.0), gain(-4.0, 1.0);
  const double kinds[4][2] = {{1.2, -0.4}, {2.5, 0.9}, {1.2, 0.9}, {-0.7, 3.1}};
  std::vector<ScatteringUnit> units;
  units.reserve(900);
  for (size_t i = 0; i < 900; ++i) {
    const bool own = i % 15 == 0;
    units.push_back({place(random), place(random), place(random),
                     own ? weight(random) : kinds[i % 4][0], own ? gain(random) : kinds[i % 4][1]});
  }
  const std::vector<double> q = q_steps(0.5, 14);
  const PairHistogram h = pair_histogram(units, 0.02, 1);
  const DebyeSums sums = debye_sums(h, q, true);
  for (double x : {0.0, 0.3, 1.0}) {
    std::vector<ScatteringUnit> fixed = units;
    for (ScatteringUnit& u : fixed) {
      u = {u.x, u.y, u.z, u.a + u.c * x, 0.0};
    }
    const DebyeSums one = debye_sums(pair_histogram(fixed, 0.02, 1), q, true);
    for (size_t k = 0; k < q.size(); ++k) {
      const double combined = intensity(sums, k, x, 1.0);
      const double exact = naive(units, q[k], x);
      EXPECT_NEAR(exact, combined, 1e-4 * std::fabs(exact)) << "q " << q[k] << " x " << x;
      EXPECT_NEAR(intensity(one, k, 0.0, 1.0), combined, 1e-9 * std::fabs(exact)) << q[k];
    }
  }
}

// Some three thousand units on a lattice (4.7 million pairs, several pieces and blocks
// of partners), of five kinds with every 30th of its own: the histograms' weights and
// first moments are the pairs' own, summed by a plain double loop (sharing a pair
// between two bin centres keeps both), the same bits with one thread and four; and
// the same sums on a logarithmic grid (sin at each point) as on equal steps (by the
// recurrence).
TEST(DebyeSums, GridsAndThreadsAgree) {
  std::vector<ScatteringUnit> units = lattice_sphere(18.0, 2.0, 0.0);
  for (size_t i = 0; i < units.size(); ++i) {
    const double kind = static_cast<double>(i % 5);
    units[i].a = i % 30 == 0 ? 0.3 + 1e-3 * static_cast<double>(i) : 1.0 + kind;
    units[i].c = i % 30 == 0 ? -0.2 : 0.5 - kind;
  }
  const PairHistogram one = pair_histogram(units, 0.02, 1);
  const PairHistogram four = pair_histogram(units, 0.02, 4);
  EXPECT_EQ(one.aa, four.aa);
  EXPECT_EQ(one.ac, four.ac);
  EXPECT_EQ(one.cc, four.cc);
  double weight[3] = {0, 0, 0}, moment[3] = {0, 0, 0};  // aa, ac, cc
  for (size_t i = 0; i < units.size(); ++i) {
    for (size_t j = i + 1; j < units.size(); ++j) {
      const ScatteringUnit &u = units[i], &v = units[j];
      const double r = std::sqrt((u.x - v.x) * (u.x - v.x) + (u.y - v.y) * (u.y - v.y) +
                                 (u.z - v.z) * (u.z - v.z));
      const double w[3] = {u.a * v.a, u.a * v.c + u.c * v.a, u.c * v.c};
      for (int k = 0; k < 3; ++k) {
        weight[k] += w[k];
        moment[k] += w[k] * r;
      }
    }
  }
  const std::vector<double>* binned[3] = {&one.aa, &one.ac, &one.cc};
  for (int k = 0; k < 3; ++k) {
    double w = 0.0, m = 0.0, scale = 0.0;
    for (size_t b = 0; b < binned[k]->size(); ++b) {
      w += (*binned[k])[b];
      m += (*binned[k])[b] * (static_cast<double>(b) + 0.5) * one.width;
      scale += std::fabs((*binned[k])[b]);
    }
    EXPECT_NEAR(weight[k], w, 1e-12 * scale) << k;
    EXPECT_NEAR(moment[k], m, 1e-6 * scale) << k;  // distances in single precision
  }
  const std::vector<double> q = q_steps(0.5, 51);
  const DebyeSums stepped = debye_sums(one, q, true);
  const DebyeSums pointwise = debye_sums(one, q, false);
  for (size_t k = 0; k < q.size(); ++k) {
    EXPECT_NEAR(pointwise.aa[k], stepped.aa[k], 1e-9 * pointwise.aa[0]) << q[k];
  }
}

// Units declared alike (a shell's pieces, each scale x (a, c)) give the histograms they
// give as units of any kind, to rounding, and the same bits with any number of threads.
TEST(DebyeSums, AlikeUnitsAsAnyOthers) {
  std::vector<ScatteringUnit> units = lattice_sphere(18.0, 2.0, 0.0);
  const std::vector<ScatteringUnit> shell = lattice_sphere(24.0, 2.0, 0.0);
  AlikeUnits alike{-0.56, 6.9, {}};
  std::mt19937 random(3);
  std::uniform_real_distribution<double> size(0.5, 2.0);
  for (const ScatteringUnit& u : shell) {
    if (u.x * u.x + u.y * u.y + u.z * u.z > 19.0 * 19.0) {
      alike.scale.push_back(size(random));
      units.push_back({u.x, u.y, u.z, alike.scale.back() * alike.a, alike.scale.back() * alike.c});
    }
  }
  ASSERT_GT(alike.scale.size(), 3000u);  // with the sphere, some sixteen pieces of pairs
  const PairHistogram plain = pair_histogram(units, 0.02, 1);
  const PairHistogram one = pair_histogram(units, 0.02, 1, {nullptr, 0.0, 1.0}, alike);
  const PairHistogram four = pair_histogram(units, 0.02, 4, {nullptr, 0.0, 1.0}, alike);
  ASSERT_EQ(plain.aa.size(), one.aa.size());
  double largest = 0.0;
  for (double v : plain.cc) {
    largest = std::max(largest, std::fabs(v));
  }
  for (size_t k = 0; k < plain.aa.size(); ++k) {
    EXPECT_NEAR(plain.aa[k], one.aa[k], 1e-12 * largest) << k;
    EXPECT_NEAR(plain.ac[k], one.ac[k], 1e-12 * largest) << k;
    EXPECT_NEAR(plain.cc[k], one.cc[k], 1e-12 * largest) << k;
  }
  EXPECT_EQ(one.aa, four.aa);
  EXPECT_EQ(one.cc, four.cc);
}

// The twelve rotations of a tetrahedron about `centre`, from a third of a turn about
// (1,1,1) and a half turn about z, closed under composition.
std::vector<std::array<double, 12>> tetrahedral_group(const double centre[3]) {
  using M = std::array<double, 9>;
  const auto product = [](const M& p, const M& r) {
    M m{};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        for (int k = 0; k < 3; ++k) {
          m[3 * i + j] += p[3 * i + k] * r[3 * k + j];
        }
      }
    }
    return m;
  };
  std::vector<M> group = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};
  const M generators[2] = {{0, 0, 1, 1, 0, 0, 0, 1, 0}, {-1, 0, 0, 0, -1, 0, 0, 0, 1}};
  for (size_t i = 0; i < group.size(); ++i) {
    for (const M& g : generators) {
      const M m = product(g, group[i]);
      if (std::find(group.begin(), group.end(), m) == group.end()) {
        group.push_back(m);
      }
    }
  }
  std::vector<std::array<double, 12>> motions;  // x' = R (x - centre) + centre
  for (const M& r : group) {
    std::array<double, 12> m{};
    std::copy(r.begin(), r.end(), m.begin());
    for (size_t i = 0; i < 3; ++i) {
      m[9 + i] =
          centre[i] - (r[3 * i] * centre[0] + r[3 * i + 1] * centre[1] + r[3 * i + 2] * centre[2]);
    }
    motions.push_back(m);
  }
  return motions;
}

// An assembly's pairs from its first copy's with all (Copies) against all its pairs
// summed plainly: a copy of units of any kind and alike ones off the group's centre,
// placed by the tetrahedral group (twelve copies, a translation in every motion); to
// rounding, and the same bits with any number of threads, whose progress ends at its end.
TEST(DebyeSums, CopiesOfAGroupAsAllTheirPairs) {
  const double centre[3] = {3.0, -7.0, 11.0};
  const std::vector<std::array<double, 12>> motions = tetrahedral_group(centre);
  ASSERT_EQ(motions.size(), 12u);
  std::mt19937 random(5);
  std::uniform_real_distribution<double> offset(-9.0, 9.0), size(0.5, 2.0), weight(-3.0, 3.0);
  std::vector<ScatteringUnit> general, alike_units;
  AlikeUnits alike{-0.56, 6.9, {}};
  std::vector<double> scale;
  for (int i = 0; i < 800; ++i) {
    const double p[3] = {centre[0] + 20.0 + offset(random), centre[1] + 8.0 + offset(random),
                         centre[2] + 3.0 + offset(random)};
    if (i < 600) {  // half of three kinds, summed by kind, half each of its own
      const double kind = i % 3;
      general.push_back(i % 2 == 0
                            ? ScatteringUnit{p[0], p[1], p[2], 1.0 + kind, 2.0 - kind}
                            : ScatteringUnit{p[0], p[1], p[2], weight(random), weight(random)});
    } else {
      scale.push_back(size(random));
      alike_units.push_back({p[0], p[1], p[2], scale.back() * alike.a, scale.back() * alike.c});
    }
  }
  std::vector<ScatteringUnit> units;
  for (const std::vector<ScatteringUnit>* part : {&general, &alike_units}) {
    for (const std::array<double, 12>& m : motions) {
      for (const ScatteringUnit& u : *part) {
        units.push_back({m[0] * u.x + m[1] * u.y + m[2] * u.z + m[9],
                         m[3] * u.x + m[4] * u.y + m[5] * u.z + m[10],
                         m[6] * u.x + m[7] * u.y + m[8] * u.z + m[11], u.a, u.c});
      }
      if (part == &alike_units) {
        alike.scale.insert(alike.scale.end(), scale.begin(), scale.end());
      }
    }
  }
  const Copies copies{motions.size(), general.size()};
  const PairHistogram plain = pair_histogram(units, 0.02, 1, {nullptr, 0.0, 1.0}, alike);
  const PairHistogram one = pair_histogram(units, 0.02, 1, {nullptr, 0.0, 1.0}, alike, copies);
  // Two threads: the calling thread reports, in order, and the last report is the end's
  // whichever thread summed the last piece.
  static std::vector<double> heard;
  heard.clear();
  const auto hear = [](const char*, double fraction) { heard.push_back(fraction); };
  const PairHistogram two = pair_histogram(units, 0.02, 2, {hear, 0.25, 0.5}, alike, copies);
  ASSERT_FALSE(heard.empty());
  EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
  EXPECT_GT(heard.front(), 0.25);
  EXPECT_EQ(0.75, heard.back());
  // The copies' coordinates are rounded to single precision each on its own, which moves
  // a pair's share between two bins by up to some 1e-4 of its weight: the curves still
  // agree to 1e-7 of I(0), far below a printed digit.
  ASSERT_EQ(plain.aa.size(), one.aa.size());
  const std::vector<double> q = q_steps(0.5, 101);
  const DebyeSums all = debye_sums(plain, q, true), first = debye_sums(one, q, true);
  for (size_t k = 0; k < q.size(); ++k) {
    EXPECT_NEAR(all.aa[k], first.aa[k], 1e-7 * std::fabs(all.aa[0])) << q[k];
    EXPECT_NEAR(all.ac[k], first.ac[k], 1e-7 * std::fabs(all.ac[0])) << q[k];
    EXPECT_NEAR(all.cc[k], first.cc[k], 1e-7 * std::fabs(all.cc[0])) << q[k];
  }
  EXPECT_EQ(one.aa, two.aa);
  EXPECT_EQ(one.ac, two.ac);
  EXPECT_EQ(one.cc, two.cc);
}

// A sphere of identical units follows the sphere's form factor up to its second
// minimum (qR = 7.725), to within a few percent of its value, the radius being that of
// the units' volume; two such spheres 100 A apart add the cross term
// 2 N^2 Phi^2 sin(qD)/(qD); a unit of no contrast changes nothing.
TEST(DebyeSums, AnalyticShapes) {
  const double spacing = 2.0;
  const std::vector<ScatteringUnit> ball = lattice_sphere(20.0, spacing, 0.0);
  const auto n = static_cast<double>(ball.size());
  const double radius = std::cbrt(3.0 * n * spacing * spacing * spacing / (4.0 * PI));
  const std::vector<double> q = q_steps(7.725 / radius, 60);
  const DebyeSums one = debye_sums(pair_histogram(ball, 0.02, 1), q, true);
  for (size_t k = 0; k < q.size(); ++k) {
    const double phi2 = sphere(q[k], radius) * sphere(q[k], radius);
    EXPECT_NEAR(phi2, one.aa[k] / (n * n), 0.03 * phi2 + 3e-4) << "qR " << q[k] * radius;
  }
  std::vector<ScatteringUnit> pair = ball;
  const std::vector<ScatteringUnit> far = lattice_sphere(20.0, spacing, 100.0);
  pair.insert(pair.end(), far.begin(), far.end());
  const DebyeSums two = debye_sums(pair_histogram(pair, 0.02, 1), q, true);
  for (size_t k = 1; k < q.size(); ++k) {
    const double phi2 = sphere(q[k], radius) * sphere(q[k], radius);
    const double cross = 2.0 * n * n * phi2 * std::sin(q[k] * 100.0) / (q[k] * 100.0);
    EXPECT_NEAR(cross, two.aa[k] - 2.0 * one.aa[k], 0.03 * n * n * phi2 + 3e-4 * n * n)
        << "qR " << q[k] * radius;
  }
  std::vector<ScatteringUnit> with_void = ball;
  with_void.push_back({5.0, 5.0, 5.0, 0.0, 0.0});
  const DebyeSums same = debye_sums(pair_histogram(with_void, 0.02, 1), q, true);
  for (size_t k = 0; k < q.size(); ++k) {
    EXPECT_NEAR(one.aa[k], same.aa[k], 1e-12 * one.aa[0]);
  }
}

// Guinier's law recovered from Gaussian curves on a grid of 0.0025/A steps: Rg 21 A
// from the 24 points up to q Rg = 1.3; Rg 120 A from the four below 0.0108/A; at Rg
// 169 A (a capsid's) three points lie below q Rg = 1.3, too few, and a fit beyond them
// would be no Guinier fit: none, and the grid named as the reason.
TEST(GuinierAndPr, KnownCurves) {
  const std::vector<double> q = q_steps(0.5, 201);
  const struct {
    double rg;
    bool fitted;
    int points;
  } cases[] = {{21.0, true, 24}, {120.0, true, 4}, {169.0, false, 0}};
  for (const auto& c : cases) {
    std::vector<double> curve;
    curve.reserve(q.size());
    for (double k : q) {
      curve.push_back(0.02 * std::exp(-k * k * c.rg * c.rg / 3.0));
    }
    const GuinierFit fit = fit_guinier(q, curve);
    ASSERT_EQ(c.fitted, fit.fitted) << c.rg;
    EXPECT_EQ(!c.fitted, fit.coarse) << c.rg;
    if (c.fitted) {
      EXPECT_NEAR(c.rg * c.rg, fit.rg2, 1e-9 * c.rg * c.rg) << c.rg;
      EXPECT_NEAR(0.02, fit.i0, 1e-12) << c.rg;
      EXPECT_EQ(c.points, fit.points) << c.rg;
    }
  }
}

// P(r) of a sphere of units with their spread is the transform of its I(q): it
// integrates to I(0), and int P(r) sin(qr)/(qr) dr gives back the form-factor-damped
// Debye sum; the sharp P(r) (no spread) ends in the bin of the sphere's diameter.
TEST(GuinierAndPr, PairDistributionIsTheCurvesTransform) {
  const std::vector<ScatteringUnit> ball = lattice_sphere(10.0, 2.0, 0.0);
  const PairHistogram h = pair_histogram(ball, 0.02, 1);
  const auto n = static_cast<double>(ball.size());
  const double rg2 = 2.0;
  const std::vector<double> q = {0.0, 0.1, 0.2, 0.3};
  const DebyeSums sums = debye_sums(h, q, true);
  const std::vector<double> p = pair_distribution(pair_distributions(h, 0.5, rg2), 0.0);
  for (size_t k = 0; k < q.size(); ++k) {
    double transform = 0.0;
    for (size_t b = 0; b < p.size(); ++b) {
      const double qr = q[k] * (static_cast<double>(b) + 0.5) * 0.5;
      transform += p[b] * 0.5 * (qr == 0.0 ? 1.0 : std::sin(qr) / qr);
    }
    const double expected = intensity(sums, k, 0.0, unit_form_factor(q[k], rg2));
    EXPECT_NEAR(expected, transform, (k == 0 ? 1e-9 : 2e-3) * n * n) << "q " << q[k];
  }
  const std::vector<double> sharp = pair_distribution(pair_distributions(h, 0.5, 0.0), 0.0);
  double area = 0.0;
  for (size_t b = 0; b < sharp.size(); ++b) {
    area += sharp[b] * 0.5;
    EXPECT_TRUE(static_cast<double>(b) * 0.5 <= 20.0 || sharp[b] == 0.0)
        << "a pair beyond the diameter at " << b;
  }
  EXPECT_NEAR(n * n, area, 1e-9 * n * n);
  EXPECT_NEAR(20.0, max_distance(h), 0.1);
}
