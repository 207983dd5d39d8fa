#include "scattering/radius_of_gyration.h"

#include <cmath>

#include "scattering/debye_curves.h"
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
  // Normal equations of y = a + b u + c u^2, solved by Cramer's rule; u is scaled to
  // order one first, so the 3 x 3 system stays well conditioned.
  double scale = 0.0;
  for (double u : inverse_contrast) {
    scale = std::fmax(scale, std::fabs(u));
  }
  double s[5] = {0, 0, 0, 0, 0};
  double t[3] = {0, 0, 0};
  for (size_t i = 0; i < rg2.size(); ++i) {
    const double u = inverse_contrast[i] / scale;
    double power = 1.0;
    for (int k = 0; k < 5; ++k) {
      s[k] += power;
      if (k < 3) {
        t[k] += power * rg2[i];
      }
      power *= u;
    }
  }
  const auto det3 = [](double a, double b, double c, double d, double e, double f, double g,
                       double h, double i) {
    return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  };
  const double d = det3(s[0], s[1], s[2], s[1], s[2], s[3], s[2], s[3], s[4]);
  if (std::fabs(d) < 1e-12 * s[0] * s[2] * s[4]) {
    return fit;
  }
  const double a = det3(t[0], s[1], s[2], t[1], s[2], s[3], t[2], s[3], s[4]) / d;
  const double b = det3(s[0], t[0], s[2], s[1], t[1], s[3], s[2], t[2], s[4]) / d;
  const double c = det3(s[0], s[1], t[0], s[1], s[2], t[1], s[2], s[3], t[2]) / d;
  fit.fitted = true;
  fit.rm2 = a;
  fit.alpha = b / scale;
  fit.beta = -c / (scale * scale);
  double misfit = 0.0;
  for (size_t i = 0; i < rg2.size(); ++i) {
    const double u = inverse_contrast[i];
    const double e = rg2[i] - (fit.rm2 + fit.alpha * u - fit.beta * u * u);
    misfit += e * e;
  }
  fit.residual = std::sqrt(misfit / static_cast<double>(rg2.size()));
  return fit;
}
