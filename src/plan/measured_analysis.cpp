#include "plan/measured_analysis.h"

#include <algorithm>
#include <cmath>

namespace {

// y = a + b x weighted by w, with the covariance of a and b.
struct Line {
  bool fitted = false;
  double a = 0, b = 0, var_a = 0, var_b = 0, cov = 0, chi2 = 0;
};

Line weighted_line(const std::vector<double>& x, const std::vector<double>& y,
                   const std::vector<double>& w) {
  Line line;
  double s = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (size_t k = 0; k < x.size(); ++k) {
    s += w[k];
    sx += w[k] * x[k];
    sy += w[k] * y[k];
    sxx += w[k] * x[k] * x[k];
    sxy += w[k] * x[k] * y[k];
  }
  const double det = s * sxx - sx * sx;
  if (x.size() < 2 || !(det > 0.0)) {
    return line;
  }
  line.fitted = true;
  line.a = (sxx * sy - sx * sxy) / det;
  line.b = (s * sxy - sx * sy) / det;
  line.var_a = sxx / det;
  line.var_b = s / det;
  line.cov = -sx / det;
  for (size_t k = 0; k < x.size(); ++k) {
    const double r = y[k] - line.a - line.b * x[k];
    line.chi2 += w[k] * r * r;
  }
  line.chi2 /= x.size() > 2 ? static_cast<double>(x.size() - 2) : 1.0;
  return line;
}

// The Guinier line over points [first, last] with I > 0.
Line guinier_line(const MeasuredCurve& c, size_t first, size_t last) {
  std::vector<double> x, y, w;
  for (size_t k = first; k <= last; ++k) {
    if (c.intensity[k] > 0.0) {
      x.push_back(c.q[k] * c.q[k]);
      y.push_back(std::log(c.intensity[k]));
      const double relative = c.error[k] / c.intensity[k];
      w.push_back(1.0 / (relative * relative));
    }
  }
  return weighted_line(x, y, w);
}

}  // namespace

MeasuredGuinier fit_measured_guinier(const MeasuredCurve& c) {
  MeasuredGuinier fit;
  const size_t n = c.q.size();
  size_t first = 0;
  while (first < n && !(c.intensity[first] > 0.0)) {
    ++first;
  }
  const size_t most_dropped = first + n / 3;
  for (int round = 0; round < 100 && first + MIN_GUINIER_POINTS <= n; ++round) {
    // The range: ten points to start with, then to q Rg = 1.3 of the fit before.
    size_t last = std::min(n, first + 10) - 1;
    double rg = 0.0;
    Line line;
    for (int settle = 0; settle < 50; ++settle) {
      line = guinier_line(c, first, last);
      if (!line.fitted || !(line.b < 0.0)) {
        return fit;  // I rises with q: no Guinier range
      }
      rg = std::sqrt(-3.0 * line.b);
      size_t end = first;
      while (end + 1 < n && c.q[end + 1] * rg <= MEASURED_GUINIER_END) {
        ++end;
      }
      if (end == last) {
        break;
      }
      last = end;
    }
    if (last + 1 < first + MIN_GUINIER_POINTS) {
      return fit;
    }
    // An upturn at the first point: drop it and fit again.
    const double predicted = std::exp(line.a + line.b * c.q[first] * c.q[first]);
    if (c.intensity[first] - predicted > 3.0 * c.error[first] && first + 1 <= most_dropped) {
      ++first;
      continue;
    }
    fit.fitted = true;
    fit.rg = rg;
    fit.rg_error = 1.5 * std::sqrt(line.var_b) / rg;
    fit.i0 = std::exp(line.a);
    fit.i0_error = fit.i0 * std::sqrt(line.var_a);
    fit.first = first;
    fit.last = last;
    fit.q_min = c.q[first];
    fit.q_max = c.q[last];
    fit.chi2 = line.chi2;
    return fit;
  }
  return fit;
}

MeasuredMatch measured_match(const std::vector<SeriesMeasurement>& series) {
  std::vector<const SeriesMeasurement*> points;
  for (const SeriesMeasurement& m : series) {
    if (m.guinier.fitted && m.conc > 0.0) {
      points.push_back(&m);
    }
  }
  std::sort(points.begin(), points.end(),
            [](const auto* a, const auto* b) { return a->d2o_fraction < b->d2o_fraction; });
  MeasuredMatch best;
  if (points.size() < 3) {
    return best;
  }
  std::vector<double> x, root, w;
  for (const SeriesMeasurement* m : points) {
    x.push_back(m->d2o_fraction);
    root.push_back(std::sqrt(m->guinier.i0 / m->conc));
    // d sqrt(I0/c) = dI0 / (2 sqrt(I0 c))
    const double sigma = m->guinier.i0_error / (2.0 * std::sqrt(m->guinier.i0 * m->conc));
    w.push_back(1.0 / (sigma * sigma));
  }
  double best_chi2 = INFINITY;
  // The sign changes after point `split` (0: every point negative; n: every positive).
  for (size_t split = 0; split <= points.size(); ++split) {
    std::vector<double> y(root);
    for (size_t k = split; k < y.size(); ++k) {
      y[k] = -y[k];
    }
    const Line line = weighted_line(x, y, w);
    if (!line.fitted || line.b == 0.0 || !(line.chi2 < best_chi2)) {
      continue;
    }
    const double x0 = -line.a / line.b;
    const double variance =
        (line.var_a + x0 * x0 * line.var_b + 2.0 * x0 * line.cov) / (line.b * line.b);
    best_chi2 = line.chi2;
    best.found = split > 0 && split < points.size();
    best.percent = 100.0 * x0;
    // Points that scatter more than their errors say widen the error with them.
    best.error = 100.0 * std::sqrt(std::max(variance, 0.0) * std::max(1.0, line.chi2));
    best.points = points.size();
    best.sign_change = split > 0 ? 100.0 * x[split - 1] : 0.0;
    best.chi2 = line.chi2;
    best.intercept = line.a;
    best.slope = line.b;
  }
  return best;
}

MeasuredStuhrmann measured_stuhrmann(const std::vector<double>& contrast_density,
                                     const std::vector<MeasuredGuinier>& fits) {
  MeasuredStuhrmann result;
  // y = Rm^2 + alpha u - beta u^2, u = 1/drho; normal equations of the weighted fit.
  double m[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, v[3] = {0, 0, 0};
  std::vector<double> us, ys, ws;
  for (size_t k = 0; k < fits.size() && k < contrast_density.size(); ++k) {
    const MeasuredGuinier& g = fits[k];
    if (!g.fitted || contrast_density[k] == 0.0 || !(g.rg_error > 0.0)) {
      continue;
    }
    const double u = 1.0 / contrast_density[k];
    const double y = g.rg * g.rg;
    const double sigma = 2.0 * g.rg * g.rg_error;  // of Rg^2
    const double w = 1.0 / (sigma * sigma);
    const double basis[3] = {1.0, u, -u * u};
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        m[i][j] += w * basis[i] * basis[j];
      }
      v[i] += w * basis[i] * y;
    }
    us.push_back(u);
    ys.push_back(y);
    ws.push_back(w);
  }
  result.points = us.size();
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (us.size() < 4 || !(std::fabs(det) > 0.0)) {
    return result;
  }
  // The inverse of the normal matrix is the covariance of the three parameters.
  double inv[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
      inv[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
    }
  }
  double p[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      p[i] += inv[i][j] * v[j];
    }
  }
  double chi2 = 0.0;
  for (size_t k = 0; k < us.size(); ++k) {
    const double r = ys[k] - p[0] - p[1] * us[k] + p[2] * us[k] * us[k];
    chi2 += ws[k] * r * r;
  }
  chi2 /= static_cast<double>(us.size() - 3);
  const double widen = std::max(1.0, chi2);
  result.fitted = true;
  result.rm = std::copysign(std::sqrt(std::fabs(p[0])), p[0]);
  result.rm_error = std::sqrt(inv[0][0] * widen) / (2.0 * std::max(std::fabs(result.rm), 1e-9));
  result.alpha = p[1];
  result.alpha_error = std::sqrt(inv[1][1] * widen);
  result.beta = p[2];
  result.beta_error = std::sqrt(inv[2][2] * widen);
  result.chi2 = chi2;
  return result;
}

namespace {

// A curve's I and dI at q, by linear interpolation between its points; false outside.
bool at_q(const MeasuredCurve& c, double q, double* i, double* e) {
  if (q < c.q.front() || q > c.q.back()) {
    return false;
  }
  const auto upper = std::lower_bound(c.q.begin(), c.q.end(), q);
  const size_t k = static_cast<size_t>(upper - c.q.begin());
  if (k == 0 || c.q[k] == q) {
    *i = c.intensity[k];
    *e = c.error[k];
    return true;
  }
  const double f = (q - c.q[k - 1]) / (c.q[k] - c.q[k - 1]);
  *i = c.intensity[k - 1] + f * (c.intensity[k] - c.intensity[k - 1]);
  *e = c.error[k - 1] + f * (c.error[k] - c.error[k - 1]);
  return true;
}

// Solves the 3 x 3 normal equations m p = v; `inv` the inverse of m. False when singular.
bool solve3(const double m[3][3], const double v[3], double p[3], double inv[3][3]) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (!(std::fabs(det) > 0.0)) {
    return false;
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
      inv[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
    }
  }
  for (int i = 0; i < 3; ++i) {
    p[i] = inv[i][0] * v[0] + inv[i][1] * v[1] + inv[i][2] * v[2];
  }
  return true;
}

}  // namespace

BasisCurves basis_curves(const std::vector<const MeasuredCurve*>& curves,
                         const std::vector<double>& conc, const std::vector<double>& drho1,
                         const std::vector<double>& drho2) {
  BasisCurves basis;
  basis.contrasts = curves.size();
  if (curves.size() < 3) {
    return basis;
  }
  for (double q : curves.front()->q) {
    double m[3][3] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, v[3] = {0, 0, 0};
    bool covered = true;
    for (size_t j = 0; j < curves.size() && covered; ++j) {
      double i = 0.0, e = 0.0;
      covered = at_q(*curves[j], q, &i, &e) && conc[j] > 0.0;
      if (!covered) {
        break;
      }
      const double w = conc[j] * conc[j] / (e * e);
      const double row[3] = {drho1[j] * drho1[j], drho1[j] * drho2[j], drho2[j] * drho2[j]};
      for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
          m[a][b] += w * row[a] * row[b];
        }
        v[a] += w * row[a] * i / conc[j];
      }
    }
    double p[3], inv[3][3];
    if (!covered || !solve3(m, v, p, inv)) {
      continue;
    }
    basis.q.push_back(q);
    basis.i11.push_back(p[0]);
    basis.i12.push_back(p[1]);
    basis.i22.push_back(p[2]);
    basis.e11.push_back(std::sqrt(inv[0][0]));
    basis.e12.push_back(std::sqrt(inv[1][1]));
    basis.e22.push_back(std::sqrt(inv[2][2]));
  }
  basis.solved = !basis.q.empty();
  return basis;
}
