#include "scattering/radius_of_gyration.h"

#include <cmath>

#include "scattering/debye_curves.h"
#include "scattering/quadratic_fit.h"
#include "scattering/scattering_model.h"

std::vector<double> unit_contrasts(const std::vector<PlacedUnit>& units, const Solvent& solvent,
                                   double x) {
  const double sld = solvent_sld(solvent, x);
  const double labile = labile_deuterium(solvent, x);
  std::vector<double> contrast(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const PlacedUnit& u = units[i];
    const ResidueTerms t =
        residue_terms(u.unit, 1.0 - u.exchange * labile, u.deuteration, solvent.steps);
    contrast[i] = t.length + t.deuteration_length - t.volume * sld;
  }
  return contrast;
}

Gyration radius_of_gyration(const std::vector<PlacedUnit>& units, const Solvent& solvent,
                            double x) {
  const std::vector<double> contrast = unit_contrasts(units, solvent, x);
  double total = 0.0;
  double magnitude = 0.0;
  double cx = 0.0, cy = 0.0, cz = 0.0;
  for (size_t i = 0; i < units.size(); ++i) {
    const PlacedUnit& u = units[i];
    total += contrast[i];
    magnitude += std::fabs(contrast[i]);
    cx += contrast[i] * u.x;
    cy += contrast[i] * u.y;
    cz += contrast[i] * u.z;
  }
  Gyration g{};
  // Near the match point the sum cancels and the centre runs off to infinity.
  g.defined = magnitude > 0.0 && std::fabs(total) > 1e-3 * magnitude;
  if (!g.defined) {
    return g;
  }
  g.x = cx / total;
  g.y = cy / total;
  g.z = cz / total;
  double second = 0.0;
  for (size_t i = 0; i < units.size(); ++i) {
    const double dx = units[i].x - g.x, dy = units[i].y - g.y, dz = units[i].z - g.z;
    second += contrast[i] * (dx * dx + dy * dy + dz * dz);
  }
  g.rg2 = second / total + unit_rg2(mean_unit_volume(units));
  return g;
}

double mean_unit_volume(const std::vector<PlacedUnit>& units) {
  double sum = 0.0;
  for (const PlacedUnit& u : units) {
    sum += u.unit.volume;
  }
  return units.empty() ? 0.0 : sum / static_cast<double>(units.size());
}

void centre_of_volume(const std::vector<PlacedUnit>& units, double* x, double* y, double* z) {
  double volume = 0.0, sx = 0.0, sy = 0.0, sz = 0.0;
  for (const PlacedUnit& u : units) {
    volume += u.unit.volume;
    sx += u.unit.volume * u.x;
    sy += u.unit.volume * u.y;
    sz += u.unit.volume * u.z;
  }
  *x = volume > 0.0 ? sx / volume : 0.0;
  *y = volume > 0.0 ? sy / volume : 0.0;
  *z = volume > 0.0 ? sz / volume : 0.0;
}

bool stuhrmann_uses(const Gyration& g, double d2o_percent, bool has_match, double match_percent) {
  return g.defined && g.rg2 > 0.0 &&
         !(has_match && std::fabs(d2o_percent - match_percent) < STUHRMANN_MATCH_DISTANCE);
}

StuhrmannFit fit_stuhrmann(const std::vector<double>& inverse_contrast,
                           const std::vector<double>& rg2) {
  StuhrmannFit fit{};
  fit.points = static_cast<int>(rg2.size());
  if (fit.points < 4) {
    return fit;
  }
  const Quadratic q = fit_quadratic(inverse_contrast, rg2, rg2.size());
  if (!q.fitted) {
    return fit;
  }
  fit.fitted = true;
  fit.rm2 = q.a;
  fit.alpha = q.b;
  fit.beta = -q.c;
  double misfit = 0.0;
  for (size_t i = 0; i < rg2.size(); ++i) {
    const double u = inverse_contrast[i];
    const double e = rg2[i] - (fit.rm2 + fit.alpha * u - fit.beta * u * u);
    misfit += e * e;
  }
  fit.residual = std::sqrt(misfit / static_cast<double>(rg2.size()));
  return fit;
}
