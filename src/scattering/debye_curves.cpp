#include "scattering/debye_curves.h"

#include <algorithm>
#include <cmath>

#include "scattering/quadratic_fit.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double GUINIER_LIMIT = 1.3;  // q Rg beyond which the Guinier law bends away

size_t last_pair_bin(const PairHistogram& h) {
  return h.aa.size();
}

// How many sigmas out a spread pair is followed; what lies beyond is below 1e-14.
constexpr double SPREAD_REACH = 8.0;

// The share of a pair d apart, spread as a Gaussian of sigma along each axis, that
// lies at distances below r: the integral of (r / d) [g(r - d) - g(r + d)] for g the
// one-dimensional Gaussian, or for d = 0 Maxwell's distribution. Zero sigma keeps the
// pair at d.
double spread_distance_cdf(double r, double d, double sigma) {
  if (!(sigma > 0.0)) {
    return r > d ? 1.0 : 0.0;
  }
  const double root2 = std::sqrt(2.0);
  const double gauss = 1.0 / (sigma * std::sqrt(2.0 * PI));
  if (d < 1e-9 * sigma) {
    const double t = r / sigma;
    return std::erf(t / root2) - 2.0 * sigma * t * gauss * std::exp(-0.5 * t * t);
  }
  const double lo = (r - d) / sigma, hi = (r + d) / sigma;
  const double normal_lo = 0.5 * std::erfc(-lo / root2), normal_hi = 0.5 * std::erfc(-hi / root2);
  const double density_lo = gauss * std::exp(-0.5 * lo * lo);
  const double density_hi = gauss * std::exp(-0.5 * hi * hi);
  return normal_lo + normal_hi - sigma * sigma / d * (density_lo - density_hi) - 1.0;
}

}  // namespace

double unit_rg2(double volume) {
  const double radius = std::cbrt(3.0 * volume / (4.0 * PI));
  return 0.6 * radius * radius;
}

double unit_form_factor(double q, double unit_rg2) {
  return std::exp(-q * q * unit_rg2 / 6.0);
}

DebyeSums debye_sums(const PairHistogram& h, const std::vector<double>& q, bool equal_steps) {
  const size_t n = q.size();
  DebyeSums s{std::vector<double>(n, h.self_aa), std::vector<double>(n, h.self_ac),
              std::vector<double>(n, h.self_cc)};
  const size_t bins = last_pair_bin(h);
  const double step = n > 1 ? q[1] - q[0] : 0.0;
  // Each pair is shared between the two bin centres around it (pair_histogram), which
  // interpolates sinc(q r) linearly between them: too high by f (1 - f) (q w)^2 / 2
  // sinc'' for a pair a fraction f of a bin w from a centre, (q w)^2 / 12 sinc'' on
  // average over f, which is taken off.
  std::vector<double> spread(n);
  for (size_t k = 0; k < n; ++k) {
    spread[k] = -q[k] * q[k] * h.width * h.width / 12.0;
  }
  for (size_t b = 0; b < bins; ++b) {
    if (h.aa[b] == 0.0 && h.ac[b] == 0.0 && h.cc[b] == 0.0) {
      continue;
    }
    const double r = (static_cast<double>(b) + 0.5) * h.width;
    const double aa = 2.0 * h.aa[b], ac = 2.0 * h.ac[b], cc = 2.0 * h.cc[b];
    // Along a grid of equal steps, (cos, sin) of q r turn by the step's angle r dq.
    const double turn_cos = std::cos(step * r), turn_sin = std::sin(step * r);
    double c = std::cos(q[0] * r), si = std::sin(q[0] * r);
    for (size_t k = 0; k < n; ++k) {
      if (!equal_steps) {
        c = std::cos(q[k] * r);
        si = std::sin(q[k] * r);
      }
      const double t = q[k] * r;
      double sinc = 1.0, second = -1.0 / 3.0;
      if (t > 1e-2) {
        const double inverse = 1.0 / t;
        sinc = si * inverse;
        const double first = (c - sinc) * inverse;
        second = -sinc - 2.0 * first * inverse;
      } else {
        sinc = 1.0 - t * t / 6.0 + t * t * t * t / 120.0;
        second += t * t / 10.0;
      }
      const double mean = sinc + spread[k] * second;
      s.aa[k] += aa * mean;
      s.ac[k] += ac * mean;
      s.cc[k] += cc * mean;
      if (equal_steps) {
        const double next_c = c * turn_cos - si * turn_sin;
        si = si * turn_cos + c * turn_sin;
        c = next_c;
      }
    }
  }
  return s;
}

double intensity(const DebyeSums& sums, size_t k, double x, double form_factor) {
  return form_factor * form_factor * (sums.aa[k] + x * sums.ac[k] + x * x * sums.cc[k]);
}

GuinierFit fit_guinier(const std::vector<double>& q, const std::vector<double>& intensity) {
  GuinierFit fit{false, 0.0, 0.0, 0};
  // The points with q > 0 and I > 0 from the start of the curve, as ln I against q^2.
  std::vector<double> u, y;
  for (size_t k = 0; k < q.size(); ++k) {
    if (q[k] <= 0.0) {
      continue;
    }
    if (!(intensity[k] > 0.0)) {
      break;
    }
    u.push_back(q[k] * q[k]);
    y.push_back(std::log(intensity[k]));
  }
  size_t end = std::min<size_t>(10, u.size());
  for (int round = 0; round < 20; ++round) {
    const Quadratic line = fit_quadratic(u, y, end);
    if (!line.fitted) {
      return fit;
    }
    fit = {true, -3.0 * line.b, std::exp(line.a), static_cast<int>(end)};
    if (fit.rg2 <= 0.0) {
      return fit;  // no Guinier range where the curve rises
    }
    const double q_limit = GUINIER_LIMIT / std::sqrt(fit.rg2);
    size_t range = 0;
    while (range < u.size() && std::sqrt(u[range]) <= q_limit) {
      ++range;
    }
    if (range == end || range < 4) {
      return fit;
    }
    end = range;
  }
  return fit;
}

PairDistributions pair_distributions(const PairHistogram& h, double step, double unit_rg2) {
  // Two Gaussian clouds of Rg^2 = unit_rg2 a distance d apart: their separation is
  // Gaussian about d with sigma^2 = 2 unit_rg2 / 3 along each axis.
  const double sigma = std::sqrt(2.0 * unit_rg2 / 3.0);
  const double reach = SPREAD_REACH * sigma;
  const size_t bins = last_pair_bin(h);
  const double r_end = static_cast<double>(bins) * h.width + reach;
  const auto out = static_cast<size_t>(std::ceil(r_end / step)) + 1;
  PairDistributions p{step, std::vector<double>(out, 0.0), std::vector<double>(out, 0.0),
                      std::vector<double>(out, 0.0)};
  const auto share = [&](double d, double aa, double ac, double cc) {
    const auto first = static_cast<size_t>(std::fmax(0.0, d - reach) / step);
    const auto last = std::min(out - 1, static_cast<size_t>((d + reach) / step));
    double below = spread_distance_cdf(static_cast<double>(first) * step, d, sigma);
    for (size_t k = first; k <= last; ++k) {
      const double above = spread_distance_cdf(static_cast<double>(k + 1) * step, d, sigma);
      const double f = (above - below) / step;
      p.aa[k] += f * aa;
      p.ac[k] += f * ac;
      p.cc[k] += f * cc;
      below = above;
    }
  };
  share(0.0, h.self_aa, h.self_ac, h.self_cc);
  for (size_t b = 0; b < bins; ++b) {
    if (h.aa[b] != 0.0 || h.ac[b] != 0.0 || h.cc[b] != 0.0) {
      share((static_cast<double>(b) + 0.5) * h.width, 2.0 * h.aa[b], 2.0 * h.ac[b], 2.0 * h.cc[b]);
    }
  }
  return p;
}

std::vector<double> pair_distribution(const PairDistributions& d, double x) {
  std::vector<double> p(d.aa.size());
  for (size_t k = 0; k < p.size(); ++k) {
    p[k] = d.aa[k] + x * d.ac[k] + x * x * d.cc[k];
  }
  return p;
}

double max_distance(const PairHistogram& h) {
  return static_cast<double>(last_pair_bin(h)) * h.width;
}
