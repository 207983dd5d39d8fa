#include "scattering/scattering_model.h"

float compute_solvent_density(double x) {
  const double h = 1.0 - x;
  return static_cast<float>((x * D2O_DENSITY_FACTOR - h * H2O_DENSITY_FACTOR) * DENSITY_SCALE);
}

ResidueTerms residue_terms(const ResidueRecord& r, double h, double d) {
  ResidueTerms terms;
  terms.volume = r.volume;
  // The table counts labile hydrogens as deuterium; the H share of them is hydrogen
  // again. Every product is taken in double: widening only the result of a float
  // product would round it twice and move the sixth decimal.
  terms.mass = static_cast<double>(r.mass) - (r.exchangeable_h * EXCHANGE_MASS_STEP) * h;
  terms.length =
      static_cast<double>(r.scattering_length) - h * (r.exchangeable_h * EXCHANGE_LENGTH_STEP);
  terms.deuteration_mass = (EXCHANGE_MASS_STEP * r.nonexchangeable_h) * d;
  terms.deuteration_length = d * (EXCHANGE_LENGTH_STEP * r.nonexchangeable_h);
  return terms;
}
