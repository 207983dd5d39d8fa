#include "scattering/contrast_series.h"

#include "scattering/scattering_model.h"

namespace {

// The sums of a component at D2O fraction `x`, before the densities.
SeriesPoint sums_at(const Makeup& makeup, double exchange, double x, double solvent) {
  SeriesPoint point{};
  // The share of labile hydrogens that stays hydrogen; 1 - x, as the console has it,
  // when every labile hydrogen exchanges.
  const double h = 1.0 - exchange * x;
  for (const Part& part : makeup.parts) {
    if (part.count == 0.0) {
      continue;
    }
    // One unit's terms, in the console calculation's order, then times its count.
    const ResidueTerms t = residue_terms(part.unit, h, part.deuteration);
    double length = t.length;
    double contrast = t.length - t.volume * solvent;
    length += t.deuteration_length;
    contrast += t.deuteration_length;
    const double n = part.count;
    point.volume += n * t.volume;
    point.mass += n * (t.mass + t.deuteration_mass);
    point.scattering_length += n * length;
    point.contrast += n * contrast;
    point.electrons += n * part.unit.electrons;
  }
  if (makeup.volume > 0.0) {
    point.volume = makeup.volume;
    point.contrast = point.scattering_length - point.volume * solvent;
  }
  return point;
}

}  // namespace

SeriesPoint series_point(const Makeup& makeup, double exchange, double x, double water) {
  const float solvent = compute_solvent_density(x);
  SeriesPoint point = sums_at(makeup, exchange, x, solvent);
  point.mass += water;
  point.d2o_fraction = x;
  point.solvent_density = solvent;
  point.length_density = point.scattering_length / point.volume;
  point.contrast_density = point.contrast / point.volume;
  point.xray_density = point.electrons * ELECTRON_RADIUS / point.volume;
  point.xray_solvent_density = xray_solvent_density(x);
  return point;
}

void add_copies(const SeriesPoint& part, int64_t copies, SeriesPoint* sum) {
  const auto n = static_cast<double>(copies);
  sum->d2o_fraction = part.d2o_fraction;
  sum->solvent_density = part.solvent_density;
  sum->xray_solvent_density = part.xray_solvent_density;
  sum->scattering_length += n * part.scattering_length;
  sum->contrast += n * part.contrast;
  sum->mass += n * part.mass;
  sum->volume += n * part.volume;
  sum->electrons += n * part.electrons;
  sum->length_density = sum->scattering_length / sum->volume;
  sum->contrast_density = sum->contrast / sum->volume;
  sum->xray_density = sum->electrons * ELECTRON_RADIUS / sum->volume;
}

ContrastModel contrast_model(const Makeup& makeup, double exchange) {
  // The scattering length is linear in x, so two points give the line exactly.
  const SeriesPoint in_h2o = sums_at(makeup, exchange, 0.0, 0.0);
  const SeriesPoint in_d2o = sums_at(makeup, exchange, 1.0, 0.0);
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

bool deuteration_for_match(const Makeup& makeup, double exchange, double x, double* deuteration) {
  // The contrast at x is linear in the deuteration too: c0 + d (c1 - c0).
  Makeup none = makeup;
  Makeup full = makeup;
  for (size_t i = 0; i < makeup.parts.size(); ++i) {
    none.parts[i].deuteration = 0.0;
    full.parts[i].deuteration = 1.0;
  }
  const auto contrast_at = [&](const Makeup& m) {
    const ContrastModel model = contrast_model(m, exchange);
    return model.length_at_h2o + model.length_per_d2o * x -
           model.volume * (SOLVENT_AT_H2O + SOLVENT_PER_D2O * x);
  };
  const double c0 = contrast_at(none);
  const double gain = contrast_at(full) - c0;
  if (gain == 0.0) {
    return false;
  }
  *deuteration = -c0 / gain;
  return true;
}
