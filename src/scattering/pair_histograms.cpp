#include "scattering/pair_histograms.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>

#if !defined(__EMSCRIPTEN__)
#include <thread>
#endif

namespace {

// The rows of the pair triangle are cut into pieces of at least PIECE_PAIRS pairs, at
// most PIECES of them, by the number of pairs alone and whatever the number of threads:
// each piece sums into its own histogram, and the pieces are added up in order, so
// threads change the time, never the bits. A small model takes one piece and so does
// not clear sixteen histograms for a few thousand pairs.
constexpr size_t PIECES = 16;
constexpr double PIECE_PAIRS = 1 << 20;
constexpr size_t BLOCK = 256;  // partners whose bins are computed before they are added

// A pair at `position` bin widths lies between the centres of bins k - 1 and k, with
// k = floor(position + 1/2); it goes to k - 1 and k in the shares 1 - f and f. The
// pairs of one k are summed whole and times f side by side, so that a pair touches
// one cache line, and shared out between the two bins at the end.
struct Weights {
  double aa, ac, cc;     // the pairs' weights
  double faa, fac, fcc;  // the same times f
};

struct Bins {
  std::vector<Weights> w;
  size_t last = 0;  // one past the last bin that holds a pair
  explicit Bins(size_t n) : w(n, Weights{0.0, 0.0, 0.0, 0.0, 0.0, 0.0}) {}
};

// Adds the pairs (i, j > i) of rows [begin, end) to `bins`, each shared between the two
// bin centres around its distance in proportion to its nearness (so that a sum over
// the bins interpolates linearly between centres, instead of moving every pair up to
// half a bin). The distances are taken in single precision, which places a pair to
// 1e-7 of its distance.
void add_rows(const std::vector<float>& xyz, const std::vector<double>& a,
              const std::vector<double>& c, size_t begin, size_t end, float inverse_width,
              Bins* bins) {
  float position[BLOCK];
  double upper[3][BLOCK], whole[3][BLOCK];
  uint32_t index[BLOCK];
  const size_t n = a.size();
  uint32_t last = 0;
  for (size_t i = begin; i < end; ++i) {
    const float px = xyz[3 * i], py = xyz[3 * i + 1], pz = xyz[3 * i + 2];
    const double ai = a[i], ci = c[i];
    for (size_t start = i + 1; start < n; start += BLOCK) {
      const size_t stop = std::min(n, start + BLOCK);
      const size_t m = stop - start;
      // Everything but the scattered adds in loops the compiler can vectorise. Bin k's
      // centre is at (k + 0.5) width; a pair at `position` bin widths lies between the
      // centres of bins floor(position - 0.5) and the next.
      for (size_t j = 0; j < m; ++j) {
        const size_t o = 3 * (start + j);
        const float dx = xyz[o] - px, dy = xyz[o + 1] - py, dz = xyz[o + 2] - pz;
        position[j] = std::sqrt(dx * dx + dy * dy + dz * dz) * inverse_width + 0.5f;
      }
      for (size_t j = 0; j < m; ++j) {
        index[j] = static_cast<uint32_t>(position[j]);
        const double f = static_cast<double>(position[j] - static_cast<float>(index[j]));
        const double aa = ai * a[start + j];
        const double ac = ai * c[start + j] + ci * a[start + j];
        const double cc = ci * c[start + j];
        upper[0][j] = f * aa;
        upper[1][j] = f * ac;
        upper[2][j] = f * cc;
        whole[0][j] = aa;
        whole[1][j] = ac;
        whole[2][j] = cc;
      }
      for (size_t j = 0; j < m; ++j) {
        Weights& w = bins->w[index[j]];
        w.aa += whole[0][j];
        w.ac += whole[1][j];
        w.cc += whole[2][j];
        w.faa += upper[0][j];
        w.fac += upper[1][j];
        w.fcc += upper[2][j];
        last = std::max(last, index[j]);
      }
    }
  }
  bins->last = std::max(bins->last, static_cast<size_t>(last) + 1);
}

// Row boundaries that give each piece about the same number of pairs.
std::vector<size_t> piece_bounds(size_t n) {
  std::vector<size_t> bounds = {0};
  const double total = 0.5 * static_cast<double>(n) * static_cast<double>(n);
  const size_t pieces = std::clamp<size_t>(static_cast<size_t>(total / PIECE_PAIRS), 1, PIECES);
  size_t row = 0;
  double done = 0.0;
  for (size_t piece = 1; piece < pieces; ++piece) {
    const double target = total * static_cast<double>(piece) / static_cast<double>(pieces);
    while (row < n && done < target) {
      done += static_cast<double>(n - row - 1);
      ++row;
    }
    bounds.push_back(row);
  }
  bounds.push_back(n);
  return bounds;
}

// The self terms of the units into `h`, and the number of bins that holds every pair:
// none is further apart than the diagonal of the box that holds them all.
size_t self_terms_and_bins(const std::vector<ScatteringUnit>& units, double width,
                           PairHistogram* h) {
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  for (size_t i = 0; i < units.size(); ++i) {
    const double p[3] = {units[i].x, units[i].y, units[i].z};
    for (int k = 0; k < 3; ++k) {
      lo[k] = i == 0 ? p[k] : std::min(lo[k], p[k]);
      hi[k] = i == 0 ? p[k] : std::max(hi[k], p[k]);
    }
    h->self_aa += units[i].a * units[i].a;
    h->self_ac += 2.0 * units[i].a * units[i].c;
    h->self_cc += units[i].c * units[i].c;
  }
  const double diagonal =
      std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                (hi[2] - lo[2]) * (hi[2] - lo[2]));
  return static_cast<size_t>(diagonal / width) + 2;
}

// Fills every piece's bins, by up to `threads` threads taking pieces in turn.
void fill_pieces(const std::vector<ScatteringUnit>& units, const std::vector<size_t>& bounds,
                 double width, int threads, const Progress& progress, std::vector<Bins>* pieces) {
  std::vector<float> xyz;
  std::vector<double> a, c;
  for (const ScatteringUnit& unit : units) {
    xyz.insert(xyz.end(), {static_cast<float>(unit.x), static_cast<float>(unit.y),
                           static_cast<float>(unit.z)});
    a.push_back(unit.a);
    c.push_back(unit.c);
  }
  const size_t count = pieces->size();
  std::atomic<size_t> next(0);
  const auto work = [&]() {
    for (size_t piece = next++; piece < count; piece = next++) {
      add_rows(xyz, a, c, bounds[piece], bounds[piece + 1], static_cast<float>(1.0 / width),
               &(*pieces)[piece]);
      if (progress.report != nullptr && threads <= 1) {
        progress.report(progress.start + progress.span * static_cast<double>(piece + 1) /
                                             static_cast<double>(count));
      }
    }
  };
#if defined(__EMSCRIPTEN__)
  (void)threads;
  work();
#else
  std::vector<std::thread> helpers;
  for (size_t t = 1; t < std::min(static_cast<size_t>(std::max(threads, 1)), count); ++t) {
    helpers.emplace_back(work);
  }
  work();
  for (std::thread& helper : helpers) {
    helper.join();
  }
#endif
}

// Adds the pieces in their fixed order, each pair shared out between its two bins.
void gather(const std::vector<Bins>& pieces, size_t units, PairHistogram* h) {
  size_t last = units > 1 ? 1 : 0;
  for (const Bins& piece : pieces) {
    last = std::max(last, piece.last);
  }
  h->aa.assign(last, 0.0);
  h->ac.assign(last, 0.0);
  h->cc.assign(last, 0.0);
  for (const Bins& piece : pieces) {
    for (size_t k = 0; k < piece.last; ++k) {
      const Weights& w = piece.w[k];
      const size_t below = k == 0 ? 0 : k - 1;  // a pair within half a bin of 0 stays in 0
      h->aa[k] += w.faa;
      h->ac[k] += w.fac;
      h->cc[k] += w.fcc;
      h->aa[below] += w.aa - w.faa;
      h->ac[below] += w.ac - w.fac;
      h->cc[below] += w.cc - w.fcc;
    }
  }
}

}  // namespace

PairHistogram pair_histogram(const std::vector<ScatteringUnit>& units, double width, int threads,
                             const Progress& progress) {
  PairHistogram h;
  h.width = width;
  const size_t bins = self_terms_and_bins(units, width, &h);
  const std::vector<size_t> bounds = piece_bounds(units.size());
  std::vector<Bins> pieces;
  pieces.reserve(bounds.size() - 1);
  for (size_t piece = 0; piece + 1 < bounds.size(); ++piece) {
    pieces.emplace_back(bins);
  }
  fill_pieces(units, bounds, width, threads, progress, &pieces);
  gather(pieces, units.size(), &h);
  return h;
}
