#include "scattering/contrast_series.h"

#include "scattering/scattering_totals.h"

void count_residues(const Sequence& seq, ResidueCounts* counts) {
  *counts = ResidueCounts{};
  const int32_t last = seq.count < MAX_RESIDUES ? seq.count : MAX_RESIDUES;
  for (int32_t slot = 1; slot <= last; ++slot) {
    const int32_t number = seq.slots[slot];
    ++counts->rows[is_residue_number(number) ? number : UNKNOWN_RESIDUE];
  }
  counts->total = last > 0 ? last : 0;
}

SeriesPoint series_point(const ResidueCounts& counts, double deuteration, double exchange,
                         double x) {
  SeriesPoint point{};
  point.d2o_fraction = x;
  point.solvent_density = compute_solvent_density(x);
  const double solvent = point.solvent_density;
  // The share of labile hydrogens that stays hydrogen; 1 - x, as the console has it,
  // when every labile hydrogen exchanges.
  const double h = 1.0 - exchange * x;
  for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
    if (counts.rows[row] == 0) {
      continue;
    }
    // One residue's terms, in the console calculation's order, then times its count.
    const ResidueRecord& r = residue_table[row];
    const double volume = r.volume;
    double mass = static_cast<double>(r.mass) - (r.exchangeable_h * EXCHANGE_MASS_STEP) * h;
    const double b =
        static_cast<double>(r.scattering_length) - h * (r.exchangeable_h * EXCHANGE_LENGTH_STEP);
    double length = b;
    double contrast = b - volume * solvent;
    mass += (EXCHANGE_MASS_STEP * r.nonexchangeable_h) * deuteration;
    const double w = deuteration * (EXCHANGE_LENGTH_STEP * r.nonexchangeable_h);
    length += w;
    contrast += w;
    const auto n = static_cast<double>(counts.rows[row]);
    point.volume += n * volume;
    point.mass += n * mass;
    point.scattering_length += n * length;
    point.contrast += n * contrast;
  }
  point.mass += WATER_MASS;
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

ContrastModel contrast_model(const ResidueCounts& counts, double deuteration, double exchange) {
  ContrastModel model{};
  for (int32_t row = 0; row < RESIDUE_ROWS; ++row) {
    const ResidueRecord& r = residue_table[row];
    const auto n = static_cast<double>(counts.rows[row]);
    // b(x) = length - (1 - exchange x) labile D-H + deuteration fixed D-H
    model.length_at_h2o +=
        n * (static_cast<double>(r.scattering_length) - r.exchangeable_h * EXCHANGE_LENGTH_STEP +
             deuteration * r.nonexchangeable_h * EXCHANGE_LENGTH_STEP);
    model.length_per_d2o += n * exchange * r.exchangeable_h * EXCHANGE_LENGTH_STEP;
    model.volume += n * static_cast<double>(r.volume);
  }
  return model;
}

void add_model(const ContrastModel& part, int64_t copies, ContrastModel* sum) {
  const auto n = static_cast<double>(copies);
  sum->length_at_h2o += n * part.length_at_h2o;
  sum->length_per_d2o += n * part.length_per_d2o;
  sum->volume += n * part.volume;
}

bool match_point(const ContrastModel& model, double* x) {
  // Solvent density: scale (-H + (D + H) x). Contrast a + b x - v density = 0.
  const double at_h2o = model.length_at_h2o + model.volume * DENSITY_SCALE * H2O_DENSITY_FACTOR;
  const double slope = model.length_per_d2o -
                       model.volume * DENSITY_SCALE * (D2O_DENSITY_FACTOR + H2O_DENSITY_FACTOR);
  if (model.volume <= 0.0 || slope == 0.0) {
    return false;
  }
  *x = -at_h2o / slope;
  return true;
}
