#include "scattering/water.h"

namespace {

// (a0 + a1 t + ... + a5 t^5) / (1 + b t), kg/m^3, t in C.
double kell_form(const double (&a)[6], double b, double t) {
  double sum = 0.0;
  double power = 1.0;
  for (double coefficient : a) {
    sum += coefficient * power;
    power *= t;
  }
  return sum / (1.0 + b * t);
}

}  // namespace

double h2o_density(double celsius) {
  static const double a[6] = {999.83952,     16.945176,    -7.9870401e-3,
                              -46.170461e-6, 105.56302e-9, -280.54253e-12};
  return kell_form(a, 16.879850e-3, celsius) / 1000.0;
}

double d2o_density(double celsius) {
  static const double a[6] = {1104.575454639,     11.60211884933,     -9.986880102063e-3,
                              -4.159101721429e-6, -4.678073634024e-8, 3.790567859596e-11};
  return kell_form(a, 1.027954262586e-2, celsius) / 1000.0;
}
