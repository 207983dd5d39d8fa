// Scattering curves, pair-distance distributions and Guinier fits from the pair
// histograms (scattering/pair_histograms.h), at any D2O fraction of a series.
#ifndef QUORVANE_SCATTERING_DEBYE_CURVES_H_
#define QUORVANE_SCATTERING_DEBYE_CURVES_H_

#include <cstddef>
#include <vector>

#include "scattering/pair_histograms.h"

// The radius of gyration squared of a unit's own extent: that of a uniform sphere of
// `volume` cubic angstrom, 3/5 R^2.
double unit_rg2(double volume);

// Every unit's amplitude spread as a Gaussian of that radius of gyration (Guinier's
// approximation of the sphere): F(q) = exp(-q^2 Rg_u^2 / 6), so F^2 = exp(-q^2 Rg_u^2 / 3).
double unit_form_factor(double q, double unit_rg2);

// The Debye sums of a histogram at each q (1/angstrom), the pairs' weights at the
// centres of their bins: self + 2 sum_bins H(r) sin(q r) / (q r), for H_aa, H_ac, H_cc.
// A grid of equal steps is summed by a recurrence, any other by sin() at each point.
struct DebyeSums {
  std::vector<double> aa, ac, cc;
};
DebyeSums debye_sums(const PairHistogram& h, const std::vector<double>& q, bool equal_steps);

// I(q_k) at D2O fraction x, fm^2 per molecule: F^2 (aa + x ac + x^2 cc).
double intensity(const DebyeSums& sums, size_t k, double x, double form_factor);

// A Guinier fit over the points with q Rg < 1.3 (found by iterating from the first ten
// points), at least four with I > 0: ln I = ln I(0) - q^2 Rg^2 / 3 with the next term
// of the expansion, c q^4, beside it, so that Rg is the curve's own and not bent by
// the 1-2 % that a straight line up to q Rg = 1.3 gives for compact particles. `rg2`
// may come out negative, where I rises with q.
struct GuinierFit {
  bool fitted;
  double rg2;  // square angstrom
  double i0;   // in the unit of the intensities
  int points;
  // Not fitted because fewer than four of the grid's points lie below q Rg = 1.3 at the
  // Rg the first points give (rg2): a fit beyond the range would give a wrong Rg.
  bool coarse = false;
};
GuinierFit fit_guinier(const std::vector<double>& q, const std::vector<double>& intensity);

// The pair-distance distributions of a histogram over bins of `step` angstrom from 0,
// for H_aa, H_ac and H_cc, in fm^2 per angstrom, with every pair spread as the units'
// form factor spreads it (each unit a Gaussian cloud of radius of gyration
// sqrt(unit_rg2)), so that P(r) is the transform of the predicted I(q) itself and not a
// comb of the units' discrete distances; sum p(r) step = sum_ij b_i b_j = I(0) per
// molecule, the self terms included.
struct PairDistributions {
  double step;
  std::vector<double> aa, ac, cc;
};
PairDistributions pair_distributions(const PairHistogram& h, double step, double unit_rg2);

// P(r) at D2O fraction x: aa + x ac + x^2 cc.
std::vector<double> pair_distribution(const PairDistributions& d, double x);

// The largest distance between two units (the upper edge of the last bin with a pair).
double max_distance(const PairHistogram& h);

#endif  // QUORVANE_SCATTERING_DEBYE_CURVES_H_
