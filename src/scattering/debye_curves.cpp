#include "scattering/debye_curves.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scattering/quadratic_fit.h"
#include "scattering/vector_clones.h"

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

namespace {

// The bins that hold pairs: their centres, twice their weights (each pair counts as ij
// and ji), and the cos and sin of q r at the grid's current q; then weightless bins at
// the last one's distance up to a multiple of eight (add_terms).
struct Terms {
  std::vector<double> r, inverse_r, aa, ac, cc;
  std::vector<double> cos_qr, sin_qr, turn_cos, turn_sin, mean;
};

constexpr size_t LANES = 4;
#if defined(__GNUC__)
typedef double Lanes __attribute__((vector_size(LANES * sizeof(double))));
#else
// The same arithmetic lane by lane where the compiler has no vector types (MSVC).
struct Lanes {
  double v[LANES];
  double operator[](size_t i) const { return v[i]; }
};
Lanes operator*(const Lanes& x, const Lanes& y) {
  Lanes r;
  for (size_t i = 0; i < LANES; ++i) {
    r.v[i] = x.v[i] * y.v[i];
  }
  return r;
}
Lanes& operator+=(Lanes& x, const Lanes& y) {
  for (size_t i = 0; i < LANES; ++i) {
    x.v[i] += y.v[i];
  }
  return x;
}
#endif

double total(const Lanes* part) {
  return ((part[0][0] + part[0][1]) + (part[0][2] + part[0][3])) +
         ((part[1][0] + part[1][1]) + (part[1][2] + part[1][3]));
}

// Adds every bin's term at q[k] to the sums: the means of all bins first, side by side
// (each bin alone, so vectorised), then the three sums, each as eight running sums of
// every eighth bin added up in a fixed order. That is the same arithmetic in every build
// and on every processor, and no add waits on the one before, as a single running sum's
// did. The bins come in eights, the last ones weighing nothing.
QUORVANE_VECTOR_CLONES
void add_terms(Terms* t, double q, double spread, bool equal_steps, double* aa, double* ac,
               double* cc) {
  const size_t m = t->r.size();
  if (!equal_steps) {
    for (size_t b = 0; b < m; ++b) {
      t->cos_qr[b] = std::cos(q * t->r[b]);
      t->sin_qr[b] = std::sin(q * t->r[b]);
    }
  }
  // The bins are in order of r, so those with q r <= 1e-2, which take the series, come
  // first; the rest take the exact form in a loop without a branch, which is vectorised.
  size_t near = 0;
  while (near < m && !(q * t->r[near] > 1e-2)) {
    const double x = q * t->r[near];
    const double sinc = 1.0 - x * x / 6.0 + x * x * x * x / 120.0;
    t->mean[near] = sinc + spread * (-1.0 / 3.0 + x * x / 10.0);
    ++near;
  }
  const double inverse_q = near < m ? 1.0 / q : 0.0;  // 1 / (q r) as a product, no division
  for (size_t b = near; b < m; ++b) {
    const double inverse = inverse_q * t->inverse_r[b];
    const double sinc = t->sin_qr[b] * inverse;
    const double first = (t->cos_qr[b] - sinc) * inverse;
    t->mean[b] = sinc + spread * (-sinc - 2.0 * first * inverse);
  }
  Lanes part_aa[2] = {}, part_ac[2] = {}, part_cc[2] = {};
  for (size_t b = 0; b < m; b += 2 * LANES) {
    for (size_t h = 0; h < 2; ++h) {
      const size_t o = b + h * LANES;
      Lanes mean, w_aa, w_ac, w_cc;
      std::memcpy(&mean, &t->mean[o], sizeof mean);
      std::memcpy(&w_aa, &t->aa[o], sizeof w_aa);
      std::memcpy(&w_ac, &t->ac[o], sizeof w_ac);
      std::memcpy(&w_cc, &t->cc[o], sizeof w_cc);
      part_aa[h] += w_aa * mean;
      part_ac[h] += w_ac * mean;
      part_cc[h] += w_cc * mean;
    }
  }
  *aa += total(part_aa);
  *ac += total(part_ac);
  *cc += total(part_cc);
  if (equal_steps) {
    // Along a grid of equal steps, (cos, sin) of q r turn by the step's angle r dq.
    for (size_t b = 0; b < m; ++b) {
      const double c = t->cos_qr[b], si = t->sin_qr[b];
      t->cos_qr[b] = c * t->turn_cos[b] - si * t->turn_sin[b];
      t->sin_qr[b] = si * t->turn_cos[b] + c * t->turn_sin[b];
    }
  }
}

}  // namespace

DebyeSums debye_sums(const PairHistogram& h, const std::vector<double>& q, bool equal_steps) {
  const size_t n = q.size();
  DebyeSums s{std::vector<double>(n, h.self_aa), std::vector<double>(n, h.self_ac),
              std::vector<double>(n, h.self_cc)};
  const size_t bins = last_pair_bin(h);
  const double step = n > 1 ? q[1] - q[0] : 0.0;
  Terms t;
  for (size_t b = 0; b < bins; ++b) {
    if (h.aa[b] == 0.0 && h.ac[b] == 0.0 && h.cc[b] == 0.0) {
      continue;
    }
    const double r = (static_cast<double>(b) + 0.5) * h.width;
    t.r.push_back(r);
    t.inverse_r.push_back(1.0 / r);
    t.aa.push_back(2.0 * h.aa[b]);
    t.ac.push_back(2.0 * h.ac[b]);
    t.cc.push_back(2.0 * h.cc[b]);
    t.turn_cos.push_back(std::cos(step * r));
    t.turn_sin.push_back(std::sin(step * r));
    t.cos_qr.push_back(n > 0 ? std::cos(q[0] * r) : 1.0);
    t.sin_qr.push_back(n > 0 ? std::sin(q[0] * r) : 0.0);
  }
  while (t.r.size() % (2 * LANES) != 0) {  // weightless bins at the last one's distance
    for (std::vector<double>* column :
         {&t.r, &t.inverse_r, &t.turn_cos, &t.turn_sin, &t.cos_qr, &t.sin_qr}) {
      column->push_back(column->back());
    }
    for (std::vector<double>* column : {&t.aa, &t.ac, &t.cc}) {
      column->push_back(0.0);
    }
  }
  t.mean.resize(t.r.size());
  // Each pair is shared between the two bin centres around it (pair_histogram), which
  // interpolates sinc(q r) linearly between them: too high by f (1 - f) (q w)^2 / 2
  // sinc'' for a pair a fraction f of a bin w from a centre, (q w)^2 / 12 sinc'' on
  // average over f, which is taken off.
  for (size_t k = 0; k < n; ++k) {
    const double spread = -q[k] * q[k] * h.width * h.width / 12.0;
    add_terms(&t, q[k], spread, equal_steps, &s.aa[k], &s.ac[k], &s.cc[k]);
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
    if (range < 4) {
      fit.fitted = false;
      fit.coarse = true;
      return fit;
    }
    if (range == end) {
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
