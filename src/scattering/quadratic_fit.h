// Least squares of a parabola, which both the Guinier fit with its q^4 term and the
// Stuhrmann fit are.
#ifndef QUORVANE_SCATTERING_QUADRATIC_FIT_H_
#define QUORVANE_SCATTERING_QUADRATIC_FIT_H_

#include <cstddef>
#include <vector>

struct Quadratic {
  bool fitted;  // false: fewer than four points, or points that fix no parabola
  double a, b, c;
};

// y = a + b u + c u^2 by least squares over the points [0, n), from the normal
// equations solved by Cramer's rule, with u scaled to order one first so that the 3 x 3
// system stays well conditioned.
Quadratic fit_quadratic(const std::vector<double>& u, const std::vector<double>& y, size_t n);

#endif  // QUORVANE_SCATTERING_QUADRATIC_FIT_H_
