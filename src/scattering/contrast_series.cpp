#include "scattering/contrast_series.h"

#include "scattering/scattering_model.h"

namespace {

// The sums of a chain at D2O fraction `x`, before the densities.
SeriesPoint sums_at(const Composition& comp, double deuteration, double exchange, double x,
                    double solvent) {
  SeriesPoint point{};
  // The share of labile hydrogens that stays hydrogen; 1 - x, as the console has it,
  // when every labile hydrogen exchanges.
  const double h = 1.0 - exchange * x;
  for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
    const double n = comp.rows[row];
    if (n == 0.0) {
      continue;
    }
    // One residue's terms, in the console calculation's order, then times its count.
    const ResidueTerms t = residue_terms(residue_table[row], h, deuteration);
    double length = t.length;
    double contrast = t.length - t.volume * solvent;
    length += t.deuteration_length;
    contrast += t.deuteration_length;
    point.volume += n * t.volume;
    point.mass += n * (t.mass + t.deuteration_mass);
    point.scattering_length += n * length;
    point.contrast += n * contrast;
  }
  point.mass += comp.selenium * SELENIUM_MASS_STEP + WATER_MASS;
  point.scattering_length += comp.selenium * SELENIUM_LENGTH_STEP;
  point.contrast += comp.selenium * SELENIUM_LENGTH_STEP;
  return point;
}

}  // namespace

SeriesPoint series_point(const Composition& comp, double deuteration, double exchange, double x) {
  const float solvent = compute_solvent_density(x);
  SeriesPoint point = sums_at(comp, deuteration, exchange, x, solvent);
  point.d2o_fraction = x;
  point.solvent_density = solvent;
  point.length_density = point.scattering_length / point.volume;
  point.contrast_density = point.contrast / point.volume;
  return point;
}

void add_copies(const SeriesPoint& part, int64_t copies, SeriesPoint* sum) {
  const auto n = static_cast<double>(copies);
  sum->d2o_fraction = part.d2o_fraction;
  sum->solvent_density = part.solvent_density;
  sum->scattering_length += n * part.scattering_length;
  sum->contrast += n * part.contrast;
  sum->mass += n * part.mass;
  sum->volume += n * part.volume;
  sum->length_density = sum->scattering_length / sum->volume;
  sum->contrast_density = sum->contrast / sum->volume;
}

ContrastModel contrast_model(const Composition& comp, double deuteration, double exchange) {
  // The scattering length is linear in x, so two points give the line exactly.
  const SeriesPoint in_h2o = sums_at(comp, deuteration, exchange, 0.0, 0.0);
  const SeriesPoint in_d2o = sums_at(comp, deuteration, exchange, 1.0, 0.0);
  return {in_h2o.scattering_length, in_d2o.scattering_length - in_h2o.scattering_length,
          in_h2o.volume};
}

void add_model(const ContrastModel& part, int64_t copies, ContrastModel* sum) {
  const auto n = static_cast<double>(copies);
  sum->length_at_h2o += n * part.length_at_h2o;
  sum->length_per_d2o += n * part.length_per_d2o;
  sum->volume += n * part.volume;
}

bool match_point(const ContrastModel& model, double* x) {
  // Contrast a + b x - v (s0 + s1 x) = 0 for the solvent line s0 + s1 x.
  const double at_h2o = model.length_at_h2o - model.volume * SOLVENT_AT_H2O;
  const double slope = model.length_per_d2o - model.volume * SOLVENT_PER_D2O;
  if (model.volume <= 0.0 || slope == 0.0) {
    return false;
  }
  *x = -at_h2o / slope;
  return true;
}
