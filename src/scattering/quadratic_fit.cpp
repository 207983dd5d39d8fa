#include "scattering/quadratic_fit.h"

#include <cmath>

Quadratic fit_quadratic(const std::vector<double>& u, const std::vector<double>& y, size_t n) {
  Quadratic fit{false, 0.0, 0.0, 0.0};
  if (n < 4) {
    return fit;
  }
  double scale = 0.0;
  for (size_t i = 0; i < n; ++i) {
    scale = std::fmax(scale, std::fabs(u[i]));
  }
  double s[5] = {0, 0, 0, 0, 0}, t[3] = {0, 0, 0};
  for (size_t i = 0; i < n; ++i) {
    const double v = u[i] / scale;
    double power = 1.0;
    for (int k = 0; k < 5; ++k) {
      s[k] += power;
      if (k < 3) {
        t[k] += power * y[i];
      }
      power *= v;
    }
  }
  const auto det = [](double m0, double m1, double m2, double m3, double m4, double m5, double m6,
                      double m7, double m8) {
    return m0 * (m4 * m8 - m5 * m7) - m1 * (m3 * m8 - m5 * m6) + m2 * (m3 * m7 - m4 * m6);
  };
  const double d = det(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
  if (!(std::fabs(d) > 1e-12 * s[0] * s[2] * s[4])) {
    return fit;
  }
  fit.fitted = true;
  fit.a = det(t[0], s[1], s[2], t[1], s[2], s[3], t[2], s[3], s[4]) / d;
  fit.b = det(s[0], t[0], s[2], s[1], t[1], s[3], s[2], t[2], s[4]) / d / scale;
  fit.c = det(s[0], s[1], t[0], s[1], s[2], t[1], s[2], s[3], t[2]) / d / (scale * scale);
  return fit;
}
