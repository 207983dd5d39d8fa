#include "scattering/contrast_series.h"

#include <algorithm>
#include <cmath>

#include "scattering/scattering_model.h"

namespace {

// The sums of a component at D2O fraction `x` against a solvent of SLD `solvent`,
// before the chain ends and the densities.
SeriesPoint sums_at(const Makeup& makeup, const Solvent& s, double x, double solvent) {
  SeriesPoint point{};
  // The share of labile hydrogens that stays hydrogen; 1 - x, as the console has it,
  // when every labile hydrogen exchanges with pure D2O.
  const double h = 1.0 - makeup.exchange * labile_deuterium(s, x);
  for (const Part& part : makeup.parts) {
    if (part.count == 0.0) {
      continue;
    }
    // One unit's terms, in the console calculation's order, then times its count.
    const ResidueTerms t = residue_terms(part.unit, h, part.deuteration, s.steps);
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

double clamp01(double v) {
  return std::fmin(1.0, std::fmax(0.0, v));
}

}  // namespace

SeriesPoint series_point(const Makeup& makeup, const Solvent& solvent, double x) {
  const double sld = solvent_sld(solvent, x);
  SeriesPoint point = sums_at(makeup, solvent, x, sld);
  point.mass += makeup.water;
  point.d2o_fraction = x;
  point.solvent_sld = sld;
  point.length_density = point.scattering_length / point.volume;
  point.contrast_density = point.contrast / point.volume;
  point.xray_density = point.electrons * ELECTRON_RADIUS / point.volume;
  point.xray_solvent_density = solvent_xray_sld(solvent, x);
  return point;
}

double weighed_mass(const Makeup& makeup, const Solvent& solvent) {
  // In H2O no labile hydrogen is deuterium, whatever the exchange.
  return sums_at(makeup, solvent, 0.0, 0.0).mass + makeup.water;
}

void molecule_hydrogens(const Makeup& makeup, const Solvent& solvent, double x, double* h,
                        double* d) {
  const double labile = makeup.exchange * labile_deuterium(solvent, x);
  *h = 0.0;
  *d = 0.0;
  for (const Part& part : makeup.parts) {
    *h += part.count * (part.unit.nonexchangeable_h * (1.0 - part.deuteration) +
                        part.unit.exchangeable_h * (1.0 - labile));
    *d += part.count *
          (part.unit.nonexchangeable_h * part.deuteration + part.unit.exchangeable_h * labile);
  }
}

void add_copies(const SeriesPoint& part, int64_t copies, SeriesPoint* sum) {
  const auto n = static_cast<double>(copies);
  sum->d2o_fraction = part.d2o_fraction;
  sum->solvent_sld = part.solvent_sld;
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

ContrastModel contrast_model(const Makeup& makeup, const Solvent& solvent) {
  // The scattering length is linear in x, so two points give the line exactly.
  const SeriesPoint in_h2o = sums_at(makeup, solvent, 0.0, 0.0);
  const SeriesPoint in_d2o = sums_at(makeup, solvent, 1.0, 0.0);
  return {in_h2o.scattering_length, in_d2o.scattering_length - in_h2o.scattering_length,
          in_h2o.volume};
}

void add_model(const ContrastModel& part, int64_t copies, ContrastModel* sum) {
  const auto n = static_cast<double>(copies);
  sum->length_at_h2o += n * part.length_at_h2o;
  sum->length_per_d2o += n * part.length_per_d2o;
  sum->volume += n * part.volume;
}

bool match_point(const ContrastModel& model, const Solvent& solvent, double* x) {
  const double at_h2o = model.length_at_h2o - model.volume * solvent.sld_at_h2o;
  const double solvent_slope = model.volume * solvent.sld_per_d2o;
  const double slope = model.length_per_d2o - solvent_slope;
  // A slope lost in the rounding of its two terms is no slope: the SLD moves with the
  // solvent's, and the contrast never changes sign.
  if (model.volume <= 0.0 ||
      std::fabs(slope) <= 1e-9 * (std::fabs(model.length_per_d2o) + std::fabs(solvent_slope))) {
    return false;
  }
  *x = -at_h2o / slope;
  return true;
}

bool deuteration_for_match(const Makeup& makeup, const Solvent& solvent, double x,
                           double* deuteration) {
  // The contrast at x is linear in the deuteration too: c0 + d (c1 - c0).
  Makeup none = makeup;
  Makeup full = makeup;
  for (size_t i = 0; i < makeup.parts.size(); ++i) {
    none.parts[i].deuteration = 0.0;
    full.parts[i].deuteration = 1.0;
  }
  const auto contrast_at = [&](const Makeup& m) {
    const ContrastModel model = contrast_model(m, solvent);
    return model.length_at_h2o + model.length_per_d2o * x -
           model.volume * (solvent.sld_at_h2o + solvent.sld_per_d2o * x);
  };
  const double c0 = contrast_at(none);
  const double gain = contrast_at(full) - c0;
  if (gain == 0.0) {
    return false;
  }
  *deuteration = -c0 / gain;
  return true;
}

Makeup shifted(const Makeup& makeup, double exchange, double volume, double deuteration) {
  Makeup moved = makeup;
  moved.exchange = clamp01(makeup.exchange + exchange);
  moved.volume *= 1.0 + volume;
  for (Part& part : moved.parts) {
    part.unit.volume *= 1.0 + volume;
    if (part.deuteration > 0.0) {
      part.deuteration = clamp01(part.deuteration + deuteration);
    }
  }
  return moved;
}

bool match_range(const std::vector<std::pair<const Makeup*, int64_t>>& members,
                 const Solvent& solvent, const Uncertainty& uncertainty, double* low,
                 double* high) {
  bool any = false;
  for (double e : {-1.0, 1.0}) {
    for (double v : {-1.0, 1.0}) {
      for (double d : {-1.0, 1.0}) {
        ContrastModel model{};
        for (const auto& [makeup, copies] : members) {
          const Makeup moved =
              shifted(*makeup, e * uncertainty.exchange / 100.0, v * uncertainty.volume / 100.0,
                      d * uncertainty.deuteration / 100.0);
          add_model(contrast_model(moved, solvent), copies, &model);
        }
        double x = 0.0;
        if (match_point(model, solvent, &x)) {
          *low = any ? std::min(*low, x) : x;
          *high = any ? std::max(*high, x) : x;
          any = true;
        }
      }
    }
  }
  return any;
}

bool deuteration_range(const Makeup& makeup, const Solvent& solvent, double x,
                       const Uncertainty& uncertainty, double* low, double* high) {
  bool any = false;
  for (double e : {-1.0, 1.0}) {
    for (double v : {-1.0, 1.0}) {
      const Makeup moved =
          shifted(makeup, e * uncertainty.exchange / 100.0, v * uncertainty.volume / 100.0, 0.0);
      double d = 0.0;
      if (deuteration_for_match(moved, solvent, x, &d)) {
        *low = any ? std::min(*low, d) : d;
        *high = any ? std::max(*high, d) : d;
        any = true;
      }
    }
  }
  return any;
}
