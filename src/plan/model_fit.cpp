#include "plan/model_fit.h"

#include <algorithm>
#include <cmath>

#include "plan/curves.h"
#include "plan/series_lines.h"
#include "scattering/resolution.h"

namespace {

// A curve of the grid at q, linearly interpolated, held at its ends.
double on_grid(const std::vector<double>& grid, const std::vector<double>& curve, double q) {
  const auto upper = std::lower_bound(grid.begin(), grid.end(), q);
  if (upper == grid.begin()) {
    return curve.front();
  }
  if (upper == grid.end()) {
    return curve.back();
  }
  const size_t k = static_cast<size_t>(upper - grid.begin());
  const double f = (q - grid[k - 1]) / (grid[k] - grid[k - 1]);
  return curve[k - 1] + f * (curve[k] - curve[k - 1]);
}

// The quadratic in the shell's density at each grid point of each measured point:
// I(s) = a + b s + c s^2.
struct ShellCurves {
  std::vector<double> grid;
  std::vector<std::vector<double>> a, b, c;  // [point][q]
};

// `fixed_scale` is 0 where the scale is free.
ContrastFit fit_contrast(const MeasuredCurve& data, const ShellCurves& shell, size_t point,
                         double s, double fixed_scale) {
  std::vector<double> curve(shell.grid.size());
  for (size_t k = 0; k < curve.size(); ++k) {
    curve[k] = shell.a[point][k] + s * shell.b[point][k] + s * s * shell.c[point][k];
  }
  const auto intensity = [&](double q) { return on_grid(shell.grid, curve, q); };
  std::vector<double> model = smear(intensity, data.q, data.resolution);
  // I = scale m + background, weighted by 1/dI^2: the normal equations of two unknowns.
  double sw = 0, sm = 0, smm = 0, sy = 0, smy = 0;
  for (size_t k = 0; k < model.size(); ++k) {
    const double w = 1.0 / (data.error[k] * data.error[k]);
    sw += w;
    sm += w * model[k];
    smm += w * model[k] * model[k];
    sy += w * data.intensity[k];
    smy += w * model[k] * data.intensity[k];
  }
  const double det = sw * smm - sm * sm;
  ContrastFit fit{0.0, 0.0, fixed_scale > 0.0, 0.0, 0.0, INFINITY, {}};
  if (!(det > 0.0)) {
    return fit;
  }
  fit.free_scale = (sw * smy - sm * sy) / det;
  fit.scale = fit.scale_fixed ? fixed_scale : fit.free_scale;
  // With the scale fixed, the background alone: the weighted mean of what it leaves.
  fit.background = fit.scale_fixed ? (sy - fit.scale * sm) / sw : (smm * sy - sm * smy) / det;
  double chi2 = 0.0;
  for (size_t k = 0; k < model.size(); ++k) {
    model[k] = fit.scale * model[k] + fit.background;
    const double r = (data.intensity[k] - model[k]) / data.error[k];
    chi2 += r * r;
  }
  const size_t free = fit.scale_fixed ? 1 : 2;
  fit.chi2 = chi2 / static_cast<double>(model.size() > free ? model.size() - free : 1);
  fit.model = std::move(model);
  return fit;
}

// The series' reduced chi-square at shell density s.
// `share` is the concentration the model's curves are computed at, mg/mL.
double series_chi2(const std::vector<FitData>& data, const ShellCurves& shell,
                   const std::vector<size_t>& points, double s, double share,
                   std::vector<ContrastFit>* fits) {
  double total = 0.0, n = 0.0;
  fits->clear();
  for (size_t j = 0; j < data.size(); ++j) {
    ContrastFit fit = fit_contrast(*data[j].curve, shell, points[j], s,
                                   share > 0.0 ? data[j].absolute_conc / share : 0.0);
    fit.d2o = data[j].d2o;
    const double points_here = static_cast<double>(data[j].curve->q.size());
    const double free = fit.scale_fixed ? 1.0 : 2.0;
    total += fit.chi2 * (points_here > free ? points_here - free : 1.0);
    n += points_here - free;
    fits->push_back(std::move(fit));
  }
  return total / std::max(1.0, n - 1.0);
}

}  // namespace

ModelFit fit_model(const std::vector<Component>& components, const SeriesOptions& options,
                   const Solvent& solvent, const std::vector<FitData>& data) {
  ModelFit result;
  if (data.empty() || components.empty()) {
    result.why = "no measured curve or no component";
    return result;
  }
  SeriesOptions at = options;
  at.d2o.clear();
  double top = 0.0;
  for (const FitData& d : data) {
    at.d2o.push_back(d.d2o);
    const MeasuredCurve& c = *d.curve;
    top = std::max(top, c.q.back() + SMEAR_WIDTH * c.resolution.back());
  }
  std::sort(at.d2o.begin(), at.d2o.end());
  at.d2o.erase(std::unique(at.d2o.begin(), at.d2o.end()), at.d2o.end());
  at.configurations.clear();
  at.rings.clear();
  at.compute_pr = at.compute_simulation = at.beamtime = false;
  at.compute_curves = true;
  at.shell = true;
  at.q_log = false;
  at.q_max = std::min(3.0, std::max(0.01, top));
  at.q_points = 401;
  std::vector<SeriesLine> lines = compute_series(components, at, solvent);
  const SeriesLine line = lines.back();
  const bool modelled = line.is_complex
                            ? !line.placed.empty()
                            : !components[static_cast<size_t>(line.component)].placed.empty();
  if (!modelled) {
    result.why = "the model has no coordinates (give a .pdb or .cif file) to predict curves";
    return result;
  }
  at.progress_stage = "fit";
  const ShellQuadratic quadratic = shell_quadratic(components, at, solvent, line);
  const ShellCurves shell{quadratic.q, quadratic.a, quadratic.b, quadratic.c};
  std::vector<size_t> points;
  points.reserve(data.size());
  for (const FitData& d : data) {
    points.push_back(
        static_cast<size_t>(std::find(at.d2o.begin(), at.d2o.end(), d.d2o) - at.d2o.begin()));
  }
  // Golden-section search of the shell's density over its range.
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double lo = MIN_SHELL_DENSITY, hi = MAX_SHELL_DENSITY;
  std::vector<ContrastFit> scratch;
  double x1 = hi - ratio * (hi - lo), x2 = lo + ratio * (hi - lo);
  double f1 = series_chi2(data, shell, points, x1, line.share, &scratch);
  double f2 = series_chi2(data, shell, points, x2, line.share, &scratch);
  for (int round = 0; round < 60; ++round) {
    if (f1 < f2) {
      hi = x2;
      x2 = x1;
      f2 = f1;
      x1 = hi - ratio * (hi - lo);
      f1 = series_chi2(data, shell, points, x1, line.share, &scratch);
    } else {
      lo = x1;
      x1 = x2;
      f1 = f2;
      x2 = lo + ratio * (hi - lo);
      f2 = series_chi2(data, shell, points, x2, line.share, &scratch);
    }
  }
  result.fitted = true;
  result.line = line.label;
  result.shell_density = (lo + hi) / 2.0;
  result.chi2 =
      series_chi2(data, shell, points, result.shell_density, line.share, &result.contrasts);
  return result;
}
