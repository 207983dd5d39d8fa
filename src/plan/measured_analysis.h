// What measured curves say on their own: each curve's Guinier fit (Rg and I(0) with
// their errors from the data's dI), and from a series of them at several D2O points
// with their concentrations, the measured match point.
#ifndef QUORVANE_PLAN_MEASURED_ANALYSIS_H_
#define QUORVANE_PLAN_MEASURED_ANALYSIS_H_

#include <cstddef>
#include <vector>

#include "measured/measured_reader.h"

// The Guinier range ends at q Rg = 1.3; a fit needs this many points in it.
constexpr double MEASURED_GUINIER_END = 1.3;
constexpr size_t MIN_GUINIER_POINTS = 5;

struct MeasuredGuinier {
  bool fitted = false;              // false: fewer than MIN_GUINIER_POINTS in a range, or I rising
  double rg = 0.0, rg_error = 0.0;  // angstrom
  double i0 = 0.0, i0_error = 0.0;  // in the curve's intensity unit
  size_t first = 0, last = 0;       // the points used, [first, last]
  double q_min = 0.0, q_max = 0.0;  // 1/angstrom, of those points
  double chi2 = 0.0;                // reduced, of the fit over its points
};

// ln I = ln I(0) - q^2 Rg^2 / 3, weighted by (I / dI)^2, over the points from the first
// with I > 0 to q Rg = 1.3 (Rg from the fit before, until the range holds still); the
// first points are dropped while the first lies more than three of its errors above
// the fit (an upturn at the beam stop or from aggregates), at most a third of them.
// The errors are the fit's from the data's dI, not scaled by its chi-square.
MeasuredGuinier fit_measured_guinier(const MeasuredCurve& curve);

// One point of a measured series.
struct SeriesMeasurement {
  double d2o_fraction;  // 0 to 1
  double conc;          // mg/mL
  MeasuredGuinier guinier;
};

struct MeasuredMatch {
  bool found = false;                   // false: fewer than three fitted points, or no crossing
  double percent = 0.0;                 // % D2O where sqrt(I(0)/c) crosses zero
  double error = 0.0;                   // % D2O, one standard deviation, times sqrt(chi2) above 1
  size_t points = 0;                    // used
  double sign_change = 0.0;             // % D2O: the last point counted positive
  double chi2 = 0.0;                    // reduced, of the line
  double intercept = 0.0, slope = 0.0;  // the line: sqrt(I(0)/c) = intercept + slope x, x 0 to 1
};

// sqrt(I(0)/c) with its sign against the D2O fraction, a line weighted by the errors
// of I(0): the sign changes once, between the neighbours where the line fits best, so
// that no prediction decides which side of the match a point lies on.
MeasuredMatch measured_match(const std::vector<SeriesMeasurement>& series);

// Stuhrmann's parabola through measured radii: Rg^2 = Rm^2 + alpha/drho - beta/drho^2
// against the predicted mean contrast density drho (fm/A^3) of each measured point,
// weighted by the errors of Rg^2, with the errors of Rm, alpha and beta from the fit's
// covariance (widened by sqrt(chi2) where the points scatter more than their errors).
struct MeasuredStuhrmann {
  bool fitted = false;              // false: fewer than four points, or points that fix no parabola
  double rm = 0.0, rm_error = 0.0;  // angstrom; Rm negative where Rm^2 is
  double alpha = 0.0, alpha_error = 0.0;  // fm/A
  double beta = 0.0, beta_error = 0.0;    // fm^2/A^4
  size_t points = 0;
  double chi2 = 0.0;
};
MeasuredStuhrmann measured_stuhrmann(const std::vector<double>& contrast_density,
                                     const std::vector<MeasuredGuinier>& fits);

// The contrast series of a complex of two components decomposed into its basis
// curves: at each q, I(q)/c = d1^2 I11 + d1 d2 I12 + d2^2 I22 over the contrasts, d1 and
// d2 the components' predicted contrast densities (fm/A^3) at each point, solved by
// least squares weighted by the errors of I/c, with each basis curve's error from the
// covariance. The curves are taken on the q of the first, within the range all cover,
// the others interpolated linearly.
struct BasisCurves {
  bool solved = false;    // false: fewer than three contrasts, or contrasts that fix none
  std::vector<double> q;  // 1/angstrom
  std::vector<double> i11, i12, i22;  // (I/c) / (fm/A^3)^2
  std::vector<double> e11, e12, e22;  // one standard deviation
  size_t contrasts = 0;
};
BasisCurves basis_curves(const std::vector<const MeasuredCurve*>& curves,
                         const std::vector<double>& conc, const std::vector<double>& drho1,
                         const std::vector<double>& drho2);

#endif  // QUORVANE_PLAN_MEASURED_ANALYSIS_H_
