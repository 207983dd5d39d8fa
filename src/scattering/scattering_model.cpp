#include "scattering/scattering_model.h"

float compute_solvent_density(double x) {
  const double h = 1.0 - x;
  return static_cast<float>((x * D2O_DENSITY_FACTOR - h * H2O_DENSITY_FACTOR) * DENSITY_SCALE);
}

ResidueTerms residue_terms(const Unit& r, double h, double d, const HydrogenSteps& steps) {
  ResidueTerms terms;
  terms.volume = r.volume;
  // The table counts labile hydrogens as deuterium; the H share of them is hydrogen
  // again. Every product is taken in double: widening only the result of a float
  // product would round it twice and move the sixth decimal. The order of the
  // operations is the console calculator's.
  terms.mass = r.mass - (r.exchangeable_h * steps.mass) * h;
  terms.length = r.length - h * (r.exchangeable_h * steps.length);
  terms.deuteration_mass = (steps.mass * r.nonexchangeable_h) * d;
  terms.deuteration_length = d * (steps.length * r.nonexchangeable_h);
  return terms;
}

double xray_solvent_density(double x) {
  // Cubic angstrom per molecule: M / (density N_A).
  const double h2o_volume = 18.0153 / 0.9982 * ANGSTROM3_PER_CM3_MOL;
  const double d2o_volume = 20.0276 / 1.1056 * ANGSTROM3_PER_CM3_MOL;
  return ELECTRON_RADIUS * (x * 10.0 / d2o_volume + (1.0 - x) * 10.0 / h2o_volume);
}

double forward_scattering(double conc, double contrast, double mass) {
  const double grams_per_cm3 = conc * 1e-3;
  const double contrast_cm = contrast * 1e-13;
  return grams_per_cm3 * AVOGADRO * contrast_cm * contrast_cm / mass;
}
