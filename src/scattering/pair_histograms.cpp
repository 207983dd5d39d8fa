#include "scattering/pair_histograms.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>

#if !defined(__EMSCRIPTEN__)
#include <thread>
#endif

#include "scattering/vector_clones.h"

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
// k = floor(position + 1/2); it goes to k - 1 and k in the shares 1 - f and f. Each bin
// holds its pairs' weights summed whole and times f side by side, so that a pair
// touches one cache line, and they are shared out between the two bins at the end.
// Pairs of two units of any kind have three weights (a a, a c + c a, c c); a unit with
// one of the alike units two (a s, c s); two alike units one (s s). Each kind has its
// own bins, WEIGHTS[kind] weights wide.
enum Kind { kAny = 0, kMixed = 1, kAlike = 2 };
constexpr size_t WEIGHTS[3] = {3, 2, 1};

struct Bins {
  std::vector<double> w[3];  // [kind][bin * 2 WEIGHTS + weight]; f times it at + WEIGHTS
  size_t last = 0;           // one past the last bin that holds a pair
  double times = 1.0;        // how many pairs of the whole each pair here stands for
  Bins(size_t n, bool alike) {
    w[kAny].assign(n * 2 * WEIGHTS[kAny], 0.0);
    if (alike) {
      w[kMixed].assign(n * 2 * WEIGHTS[kMixed], 0.0);
      w[kAlike].assign(n * 2 * WEIGHTS[kAlike], 0.0);
    }
  }
};

// The units as the pair loops read them: coordinates in single precision (which place
// a pair to 1e-7 of its distance), the weights of the first `general` units, the
// scales of the rest.
struct Packed {
  std::vector<float> xyz;
  std::vector<double> a, c, scale;
  size_t general = 0;
  size_t copies = 1, copy_general = 0, copy_alike = 0;  // Copies: the units of one copy
};

// Adds the pairs of unit i with units [from, to) to the bins of `kind`. Everything but
// the scattered adds runs in loops the compiler can vectorise.
template <Kind kind>
QUORVANE_INLINE_IN_CLONES void add_partners(const Packed& u, size_t i, size_t from, size_t to,
                                            float inverse_width, std::vector<double>* bins,
                                            uint32_t* last) {
  constexpr size_t N = WEIGHTS[kind];
  float position[BLOCK];
  double weight[N][BLOCK], upper[N][BLOCK];
  uint32_t index[BLOCK];
  const float px = u.xyz[3 * i], py = u.xyz[3 * i + 1], pz = u.xyz[3 * i + 2];
  double* w = bins->data();
  for (size_t start = from; start < to; start += BLOCK) {
    const size_t m = std::min(to, start + BLOCK) - start;
    // Bin k's centre is at (k + 0.5) width; a pair at `position` bin widths lies
    // between the centres of bins floor(position - 0.5) and the next.
    for (size_t j = 0; j < m; ++j) {
      const size_t o = 3 * (start + j);
      const float dx = u.xyz[o] - px, dy = u.xyz[o + 1] - py, dz = u.xyz[o + 2] - pz;
      position[j] = std::sqrt(dx * dx + dy * dy + dz * dz) * inverse_width + 0.5f;
    }
    uint32_t top = 0;
    for (size_t j = 0; j < m; ++j) {
      index[j] = static_cast<uint32_t>(position[j]);
      top = std::max(top, index[j]);
    }
    *last = std::max(*last, top);
    for (size_t j = 0; j < m; ++j) {
      const double f = static_cast<double>(position[j] - static_cast<float>(index[j]));
      const size_t p = start + j;
      if constexpr (kind == kAny) {
        weight[0][j] = u.a[i] * u.a[p];
        weight[1][j] = u.a[i] * u.c[p] + u.c[i] * u.a[p];
        weight[2][j] = u.c[i] * u.c[p];
      } else if constexpr (kind == kMixed) {
        weight[0][j] = u.a[i] * u.scale[p - u.general];
        weight[1][j] = u.c[i] * u.scale[p - u.general];
      } else {
        weight[0][j] = u.scale[i - u.general] * u.scale[p - u.general];
      }
      for (size_t k = 0; k < N; ++k) {
        upper[k][j] = f * weight[k][j];
      }
    }
    for (size_t j = 0; j < m; ++j) {
      double* bin = w + 2 * N * index[j];
      for (size_t k = 0; k < N; ++k) {
        bin[k] += weight[k][j];
        bin[N + k] += upper[k][j];
      }
    }
  }
}

// Adds the pairs (i, j > i) of rows [begin, end) to `bins`, one kind at a time: the
// bins of one kind stay in the cache, where all three together would not (a model
// 600 A across has 3 MB of them), and each kind's pairs still come in the same order.
QUORVANE_PAIR_CLONES
void add_rows(const Packed& u, size_t begin, size_t end, float inverse_width, Bins* bins) {
  const size_t n = u.xyz.size() / 3;
  uint32_t last = 0;
  const size_t general_end = std::min(end, u.general);
  for (size_t i = begin; i < general_end; ++i) {
    add_partners<kAny>(u, i, i + 1, u.general, inverse_width, &bins->w[kAny], &last);
  }
  for (size_t i = begin; i < general_end; ++i) {
    add_partners<kMixed>(u, i, std::max(i + 1, u.general), n, inverse_width, &bins->w[kMixed],
                         &last);
  }
  for (size_t i = std::max(begin, u.general); i < end; ++i) {
    add_partners<kAlike>(u, i, i + 1, n, inverse_width, &bins->w[kAlike], &last);
  }
  bins->last = std::max(bins->last, static_cast<size_t>(last) + 1);
}

// Copies: the pairs of copy 0's rows, row r its general unit r or, past them, its alike
// unit r - copy_general. Those with copy 0 itself and the mixed pairs with every copy go
// to `within`; the general and the alike units' pairs with the other copies to
// `across`. A mixed pair of copy 0's general unit with copy h's alike one has the
// distance of copy 0's alike unit with copy h^-1's general one, so the mixed pairs of
// the rows' general units count for both, and `within` and `across` stand for count
// and count/2 pairs of the whole.
QUORVANE_PAIR_CLONES
void add_copy_rows(const Packed& u, size_t begin, size_t end, float inverse_width, Bins* within,
                   Bins* across) {
  const size_t n = u.xyz.size() / 3, general = u.copy_general;
  const size_t all_general = u.general, first_alike = u.general;
  uint32_t last_within = 0, last_across = 0;
  const size_t general_end = std::min(end, general), alike_begin = std::max(begin, general);
  for (size_t r = begin; r < general_end; ++r) {
    add_partners<kAny>(u, r, r + 1, general, inverse_width, &within->w[kAny], &last_within);
  }
  for (size_t r = begin; r < general_end; ++r) {
    add_partners<kAny>(u, r, general, all_general, inverse_width, &across->w[kAny], &last_across);
  }
  for (size_t r = begin; r < general_end; ++r) {
    add_partners<kMixed>(u, r, first_alike, n, inverse_width, &within->w[kMixed], &last_within);
  }
  for (size_t r = alike_begin; r < end; ++r) {
    const size_t i = first_alike + (r - general);
    add_partners<kAlike>(u, i, i + 1, first_alike + u.copy_alike, inverse_width, &within->w[kAlike],
                         &last_within);
  }
  for (size_t r = alike_begin; r < end; ++r) {
    const size_t i = first_alike + (r - general);
    add_partners<kAlike>(u, i, first_alike + u.copy_alike, n, inverse_width, &across->w[kAlike],
                         &last_across);
  }
  within->last = std::max(within->last, static_cast<size_t>(last_within) + 1);
  across->last = std::max(across->last, static_cast<size_t>(last_across) + 1);
}

// The pairs of each row: the triangle's, or with copies a row of copy 0's with all
// units after it in its own copy and all of the other copies' of its kinds.
double row_pairs(const Packed& u, size_t row) {
  const double n = static_cast<double>(u.xyz.size()) / 3.0;
  if (u.copies == 1) {
    return n - static_cast<double>(row) - 1.0;
  }
  const double own = static_cast<double>(u.copy_general + u.copy_alike - row) - 1.0;
  return own + static_cast<double>(u.copies - 1) *
                   static_cast<double>(row < u.copy_general ? u.copy_general + u.copy_alike
                                                            : u.copy_alike);
}

// Row boundaries that give each piece about the same number of pairs.
std::vector<size_t> piece_bounds(const Packed& u) {
  const size_t rows = u.copies == 1 ? u.xyz.size() / 3 : u.copy_general + u.copy_alike;
  double total = 0.0;
  for (size_t row = 0; row < rows; ++row) {
    total += row_pairs(u, row);
  }
  std::vector<size_t> bounds = {0};
  const size_t pieces = std::clamp<size_t>(static_cast<size_t>(total / PIECE_PAIRS), 1, PIECES);
  size_t row = 0;
  double done = 0.0;
  for (size_t piece = 1; piece < pieces; ++piece) {
    const double target = total * static_cast<double>(piece) / static_cast<double>(pieces);
    while (row < rows && done < target) {
      done += row_pairs(u, row);
      ++row;
    }
    bounds.push_back(row);
  }
  bounds.push_back(rows);
  return bounds;
}

// The number of bins that holds every pair: none is further apart than the diagonal
// of the box that holds them all.
size_t bins_for(const std::vector<ScatteringUnit>& units, double width) {
  double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
  for (size_t i = 0; i < units.size(); ++i) {
    const double p[3] = {units[i].x, units[i].y, units[i].z};
    for (int k = 0; k < 3; ++k) {
      lo[k] = i == 0 ? p[k] : std::min(lo[k], p[k]);
      hi[k] = i == 0 ? p[k] : std::max(hi[k], p[k]);
    }
  }
  const double diagonal =
      std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                (hi[2] - lo[2]) * (hi[2] - lo[2]));
  return static_cast<size_t>(diagonal / width) + 2;
}

// The self terms of units [begin, end) into `h`.
void add_self_terms(const std::vector<ScatteringUnit>& units, size_t begin, size_t end,
                    PairHistogram* h) {
  for (size_t i = begin; i < end; ++i) {
    h->self_aa += units[i].a * units[i].a;
    h->self_ac += 2.0 * units[i].a * units[i].c;
    h->self_cc += units[i].c * units[i].c;
  }
}

// Fills every piece's bins, by up to `threads` threads taking pieces in turn. Only the
// calling thread reports progress, of the pieces finished by all.
void fill_pieces(const Packed& units, const std::vector<size_t>& bounds, double width, int threads,
                 const Progress& progress, std::vector<Bins>* pieces) {
  const size_t count = bounds.size() - 1;
  std::atomic<size_t> next(0), finished(0);
  const auto work = [&](bool reports) {
    for (size_t piece = next++; piece < count; piece = next++) {
      const auto inverse_width = static_cast<float>(1.0 / width);
      if (units.copies == 1) {
        add_rows(units, bounds[piece], bounds[piece + 1], inverse_width, &(*pieces)[piece]);
      } else {
        add_copy_rows(units, bounds[piece], bounds[piece + 1], inverse_width, &(*pieces)[2 * piece],
                      &(*pieces)[2 * piece + 1]);
      }
      const size_t done = ++finished;
      if (progress.report != nullptr && reports) {
        progress.report(progress.stage, progress.start + progress.span * static_cast<double>(done) /
                                                             static_cast<double>(count));
      }
    }
  };
#if defined(__EMSCRIPTEN__)
  (void)threads;
  work(true);
#else
  std::vector<std::thread> helpers;
  for (size_t t = 1; t < std::min(static_cast<size_t>(std::max(threads, 1)), count); ++t) {
    helpers.emplace_back(work, false);
  }
  work(true);
  for (std::thread& helper : helpers) {
    helper.join();
  }
  if (progress.report != nullptr && helpers.size() > 0) {  // a helper may have ended it
    progress.report(progress.stage, progress.start + progress.span);
  }
#endif
}

// Adds the pieces in their fixed order, each pair shared out between its two bins, the
// alike units' weights turned into the three histograms' by their (a, c): the pairs of
// each kind into targets[kind] (all three the same histogram for the whole).
void gather(const std::vector<Bins>& pieces, size_t units, const AlikeUnits& alike,
            PairHistogram* const targets[3]) {
  size_t last = units > 1 ? 1 : 0;
  for (const Bins& piece : pieces) {
    last = std::max(last, piece.last);
  }
  for (int kind = 0; kind < 3; ++kind) {
    targets[kind]->aa.assign(last, 0.0);
    targets[kind]->ac.assign(last, 0.0);
    targets[kind]->cc.assign(last, 0.0);
  }
  const double a = alike.a, c = alike.c;
  double times = 1.0;
  const auto share = [&times](PairHistogram* h, size_t k, double aa, double ac, double cc,
                              double faa, double fac, double fcc) {
    const size_t below = k == 0 ? 0 : k - 1;  // a pair within half a bin of 0 stays in 0
    h->aa[k] += times * faa;
    h->ac[k] += times * fac;
    h->cc[k] += times * fcc;
    h->aa[below] += times * (aa - faa);
    h->ac[below] += times * (ac - fac);
    h->cc[below] += times * (cc - fcc);
  };
  for (const Bins& piece : pieces) {
    times = piece.times;
    for (size_t k = 0; k < piece.last; ++k) {
      const double* w = &piece.w[kAny][6 * k];
      share(targets[kAny], k, w[0], w[1], w[2], w[3], w[4], w[5]);
      if (!piece.w[kMixed].empty()) {
        const double* m = &piece.w[kMixed][4 * k];  // sum a_i s_j, c_i s_j, and times f
        share(targets[kMixed], k, a * m[0], c * m[0] + a * m[1], c * m[1], a * m[2],
              c * m[2] + a * m[3], c * m[3]);
        const double* s = &piece.w[kAlike][2 * k];  // sum s_i s_j, and times f
        share(targets[kAlike], k, a * a * s[0], 2.0 * a * c * s[0], c * c * s[0], a * a * s[1],
              2.0 * a * c * s[1], c * c * s[1]);
      }
    }
  }
}

// The pairs of `units` into targets[kind] by their kind (gather).
void histograms(const std::vector<ScatteringUnit>& units, double width, int threads,
                const Progress& progress, const AlikeUnits& alike, const Copies& copies,
                PairHistogram* const targets[3]) {
  const size_t bins = bins_for(units, width);
  Packed packed;
  packed.general = units.size() - std::min(units.size(), alike.scale.size());
  packed.xyz.reserve(3 * units.size());
  packed.a.reserve(packed.general);
  packed.c.reserve(packed.general);
  for (size_t i = 0; i < units.size(); ++i) {
    const ScatteringUnit& unit = units[i];
    packed.xyz.insert(packed.xyz.end(), {static_cast<float>(unit.x), static_cast<float>(unit.y),
                                         static_cast<float>(unit.z)});
    if (i < packed.general) {
      packed.a.push_back(unit.a);
      packed.c.push_back(unit.c);
    }
  }
  packed.scale.assign(
      alike.scale.end() - static_cast<std::ptrdiff_t>(units.size() - packed.general),
      alike.scale.end());
  if (copies.count > 1) {
    packed.copies = copies.count;
    packed.copy_general = copies.general;
    packed.copy_alike = (units.size() - packed.general) / copies.count;
  }
  const std::vector<size_t> bounds = piece_bounds(packed);
  std::vector<Bins> pieces;
  const size_t per_piece = copies.count > 1 ? 2 : 1;
  pieces.reserve(per_piece * (bounds.size() - 1));
  for (size_t piece = 0; piece + 1 < bounds.size(); ++piece) {
    pieces.emplace_back(bins, packed.general < units.size());
    if (copies.count > 1) {
      pieces.back().times = static_cast<double>(copies.count);
      pieces.emplace_back(bins, packed.general < units.size());
      pieces.back().times = 0.5 * static_cast<double>(copies.count);
    }
  }
  fill_pieces(packed, bounds, width, threads, progress, &pieces);
  gather(pieces, units.size(), alike, targets);
}

}  // namespace

PairHistogram pair_histogram(const std::vector<ScatteringUnit>& units, double width, int threads,
                             const Progress& progress, const AlikeUnits& alike,
                             const Copies& copies) {
  PairHistogram h;
  h.width = width;
  add_self_terms(units, 0, units.size(), &h);
  PairHistogram* const whole[3] = {&h, &h, &h};
  histograms(units, width, threads, progress, alike, copies, whole);
  return h;
}

PairHistogramParts pair_histogram_parts(const std::vector<ScatteringUnit>& units, double width,
                                        int threads, const Progress& progress,
                                        const AlikeUnits& alike, const Copies& copies) {
  PairHistogramParts parts;
  const size_t general = units.size() - std::min(units.size(), alike.scale.size());
  add_self_terms(units, 0, general, &parts.model);
  add_self_terms(units, general, units.size(), &parts.shell);
  for (PairHistogram* part : {&parts.model, &parts.cross, &parts.shell}) {
    part->width = width;
  }
  PairHistogram* const kinds[3] = {&parts.model, &parts.cross, &parts.shell};
  histograms(units, width, threads, progress, alike, copies, kinds);
  return parts;
}
