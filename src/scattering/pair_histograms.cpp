#include "scattering/pair_histograms.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#if !defined(__EMSCRIPTEN__)
#include <thread>
#endif

#include "scattering/vector_clones.h"

namespace {

// The rows of the pair triangle are cut into pieces of at least PIECE_PAIRS pairs, at
// most PIECES of them, by the number of pairs alone and whatever the number of threads:
// each piece sums into bins of its own, from zero, and the pieces are added up in
// order, so threads change the time, never the bits. A small model takes one piece.
constexpr size_t PIECES = 16;
constexpr double PIECE_PAIRS = 1 << 20;
constexpr size_t BLOCK = 256;  // partners whose bins are computed before they are added
// A group of units of one (a, c) is summed without it where it has this many pairs a bin
// of the histograms or more, which repays folding its sums in (group_rows).
constexpr double GROUP_PAIRS_A_BIN = 32.0;
// Rows take their partners TILE_PARTNERS at a time, TILE_ROWS rows each block, so that
// the block's coordinates and lengths stay in the cache for all of them: a model's
// atoms are some 3 MB of them.
constexpr size_t TILE_ROWS = 32, TILE_PARTNERS = 2048;

// A pair at `position` bin widths lies between the centres of bins k - 1 and k, with
// k = floor(position + 1/2); it goes to k - 1 and k in the shares 1 - f and f. Each bin
// holds its pairs' weights summed whole and times f side by side, so that a pair
// touches one cache line, and they are shared out between the two bins at the end.
// Pairs of two units of any kind have three weights (a a, a c + c a, c c); a unit with
// one of the alike units two (a s, c s); two alike units one (s s). Each kind has its
// own bins, WEIGHTS[kind] weights wide. A protein's residues are of some twenty kinds,
// each of one (a, c): the rows of a kind sum their partners' (a, c), or their scales,
// two weights or one (kAnyOfGroup, kMixedOfGroup), and the kind's (a, c) multiplies the
// sums once at the end of its rows (fold), which halves the memory traffic of most pairs.
enum Kind { kAny = 0, kMixed = 1, kAlike = 2, kAnyOfGroup = 3, kMixedOfGroup = 4 };
constexpr size_t WEIGHTS[5] = {3, 2, 1, 2, 1};

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
  // The general rows in the order they are summed, each its unit: a group's together
  // (units of one (a, c), factored out of their pairs: group_a, group_c), then the
  // units of no group (-1) in their order.
  std::vector<uint32_t> rows;
  std::vector<int32_t> group;
  std::vector<double> group_a, group_c;
};

// A group's row's partners summed without the row's (a, c): per bin their a and c, or
// their scale, and f times each. Zero between the runs of one group's rows.
struct GroupSums {
  std::vector<double> w;
  uint32_t last = 0;
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
      } else if constexpr (kind == kAlike) {
        weight[0][j] = u.scale[i - u.general] * u.scale[p - u.general];
      } else if constexpr (kind == kAnyOfGroup) {
        weight[0][j] = u.a[p];
        weight[1][j] = u.c[p];
      } else {
        weight[0][j] = u.scale[p - u.general];
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

// Adds a run of one group's rows, summed in `sums`, to the bins of `kind` (kAny or
// kMixed): each bin's sums times the group's (a, c), the weights its pairs would have
// had one by one; and empties the sums for the next run.
template <Kind kind>
QUORVANE_INLINE_IN_CLONES void fold(GroupSums* sums, double a, double c, std::vector<double>* bins,
                                    uint32_t* last) {
  const size_t end = static_cast<size_t>(sums->last) + 1;
  double* s = sums->w.data();
  double* w = bins->data();
  for (size_t k = 0; k < end; ++k) {
    if constexpr (kind == kAny) {
      const double* g = s + 4 * k;  // sum a_j, c_j, and times f
      double* b = w + 6 * k;
      b[0] += a * g[0];
      b[1] += a * g[1] + c * g[0];
      b[2] += c * g[1];
      b[3] += a * g[2];
      b[4] += a * g[3] + c * g[2];
      b[5] += c * g[3];
    } else {
      const double* g = s + 2 * k;  // sum s_j, and times f
      double* b = w + 4 * k;
      b[0] += a * g[0];
      b[1] += c * g[0];
      b[2] += a * g[1];
      b[3] += c * g[1];
    }
  }
  std::fill(s, s + (kind == kAny ? 4 : 2) * end, 0.0);
  *last = std::max(*last, sums->last);
  sums->last = 0;
}

// The general rows [begin, end) of the summing order, each with its partners
// [from, to) = partners(unit), into the bins of `kind` (kAny or kMixed): a group's rows
// through `sums` without their (a, c), folded in at the end of the group's run; the
// rest one by one. A tile of a run's rows takes its partners a block at a time.
template <Kind kind, class Partners>
QUORVANE_INLINE_IN_CLONES void general_rows(const Packed& u, size_t begin, size_t end,
                                            Partners partners, float inverse_width, GroupSums* sums,
                                            std::vector<double>* bins, uint32_t* last) {
  constexpr Kind of_group = kind == kAny ? kAnyOfGroup : kMixedOfGroup;
  int32_t run = -1;
  bool summed = false;  // whether the run's sums hold any pair
  const auto end_run = [&]() {
    if (summed) {
      const auto g = static_cast<size_t>(run);
      fold<kind>(sums, u.group_a[g], u.group_c[g], bins, last);
      summed = false;
    }
  };
  for (size_t r = begin; r < end;) {
    const int32_t g = u.group[u.rows[r]];
    if (g != run) {
      end_run();
      run = g;
    }
    size_t tile_end = r, lo = SIZE_MAX, hi = 0;
    while (tile_end < end && tile_end - r < TILE_ROWS && u.group[u.rows[tile_end]] == g) {
      const std::pair<size_t, size_t> range = partners(u.rows[tile_end]);
      if (range.first < range.second) {
        lo = std::min(lo, range.first);
        hi = std::max(hi, range.second);
      }
      ++tile_end;
    }
    for (size_t block = lo; block < hi; block += TILE_PARTNERS) {
      const size_t block_end = std::min(hi, block + TILE_PARTNERS);
      for (size_t t = r; t < tile_end; ++t) {
        const size_t i = u.rows[t];
        const std::pair<size_t, size_t> range = partners(i);
        const size_t from = std::max(range.first, block), to = std::min(range.second, block_end);
        if (from >= to) {
          continue;
        }
        if (g >= 0) {
          add_partners<of_group>(u, i, from, to, inverse_width, &sums->w, &sums->last);
          summed = true;
        } else {
          add_partners<kind>(u, i, from, to, inverse_width, bins, last);
        }
      }
    }
    r = tile_end;
  }
  end_run();
}

// Adds the pairs (i, j > i) of rows [begin, end) to `bins`, one kind at a time: the
// bins of one kind stay in the cache, where all three together would not (a model
// 600 A across has 3 MB of them).
QUORVANE_PAIR_CLONES
void add_rows(const Packed& u, size_t begin, size_t end, float inverse_width, GroupSums* sums,
              Bins* bins) {
  const size_t n = u.xyz.size() / 3, general = u.general;
  uint32_t last = 0;
  const size_t general_end = std::min(end, general);
  general_rows<kAny>(
      u, begin, general_end, [general](size_t i) { return std::make_pair(i + 1, general); },
      inverse_width, sums, &bins->w[kAny], &last);
  general_rows<kMixed>(
      u, begin, general_end, [general, n](size_t) { return std::make_pair(general, n); },
      inverse_width, sums, &bins->w[kMixed], &last);
  for (size_t i = std::max(begin, general); i < end; ++i) {
    add_partners<kAlike>(u, i, i + 1, n, inverse_width, &bins->w[kAlike], &last);
  }
  bins->last = std::max(bins->last, static_cast<size_t>(last) + 1);
}

// Copies: the pairs of copy 0's rows, its general units in the summing order or, past
// them, its alike unit r - copy_general. Those with copy 0 itself and the mixed pairs
// with every copy go to `within`; the general and the alike units' pairs with the other
// copies to `across`. A mixed pair of copy 0's general unit with copy h's alike one has
// the distance of copy 0's alike unit with copy h^-1's general one, so the mixed pairs
// of the rows' general units count for both, and `within` and `across` stand for count
// and count/2 pairs of the whole.
QUORVANE_PAIR_CLONES
void add_copy_rows(const Packed& u, size_t begin, size_t end, float inverse_width, GroupSums* sums,
                   Bins* within, Bins* across) {
  const size_t n = u.xyz.size() / 3, general = u.copy_general;
  const size_t all_general = u.general, first_alike = u.general;
  uint32_t last_within = 0, last_across = 0;
  const size_t general_end = std::min(end, general), alike_begin = std::max(begin, general);
  general_rows<kAny>(
      u, begin, general_end, [general](size_t i) { return std::make_pair(i + 1, general); },
      inverse_width, sums, &within->w[kAny], &last_within);
  general_rows<kAny>(
      u, begin, general_end,
      [general, all_general](size_t) { return std::make_pair(general, all_general); },
      inverse_width, sums, &across->w[kAny], &last_across);
  general_rows<kMixed>(
      u, begin, general_end, [first_alike, n](size_t) { return std::make_pair(first_alike, n); },
      inverse_width, sums, &within->w[kMixed], &last_within);
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

// The pairs of general unit i, or past the general rows of alike row `row`: the
// triangle's, or with copies a row of copy 0's with all units after it in its own copy
// and all of the other copies' of its kinds.
double unit_pairs(const Packed& u, size_t row) {
  const double n = static_cast<double>(u.xyz.size()) / 3.0;
  if (u.copies == 1) {
    return n - static_cast<double>(row) - 1.0;
  }
  const double own = static_cast<double>(u.copy_general + u.copy_alike - row) - 1.0;
  return own + static_cast<double>(u.copies - 1) *
                   static_cast<double>(row < u.copy_general ? u.copy_general + u.copy_alike
                                                            : u.copy_alike);
}

double row_pairs(const Packed& u, size_t row) {
  return unit_pairs(u, row < u.rows.size() ? u.rows[row] : row);
}

// Groups the general rows whose units share their (a, c), where a group's pairs are
// enough to repay folding its sums into the bins (GROUP_PAIRS_A_BIN a bin), and sets the
// summing order: each group's rows in turn, then the rest.
void group_rows(Packed* u, size_t general_rows, size_t bins) {
  // Each unit's kind, its first unit, and its pairs; a length that is not a number is
  // no kind's (-1).
  std::map<std::pair<double, double>, int32_t> kinds;
  std::vector<int32_t> kind(general_rows, -1);
  std::vector<size_t> first;
  std::vector<double> pairs;
  for (size_t i = 0; i < general_rows; ++i) {
    if (!std::isfinite(u->a[i]) || !std::isfinite(u->c[i])) {
      continue;
    }
    const auto found =
        kinds.emplace(std::make_pair(u->a[i], u->c[i]), static_cast<int32_t>(first.size()));
    kind[i] = found.first->second;
    if (found.second) {
      first.push_back(i);
      pairs.push_back(0.0);
    }
    pairs[static_cast<size_t>(kind[i])] += unit_pairs(*u, i);
  }
  std::vector<int32_t> kept(first.size(), -1);
  for (size_t k = 0; k < first.size(); ++k) {
    if (pairs[k] >= GROUP_PAIRS_A_BIN * static_cast<double>(bins)) {
      kept[k] = static_cast<int32_t>(u->group_a.size());
      u->group_a.push_back(u->a[first[k]]);
      u->group_c.push_back(u->c[first[k]]);
    }
  }
  u->group.assign(general_rows, -1);
  std::vector<std::vector<uint32_t>> members(u->group_a.size() + 1);  // the last: no group's
  for (size_t i = 0; i < general_rows; ++i) {
    u->group[i] = kind[i] >= 0 ? kept[static_cast<size_t>(kind[i])] : -1;
    members[u->group[i] >= 0 ? static_cast<size_t>(u->group[i]) : u->group_a.size()].push_back(
        static_cast<uint32_t>(i));
  }
  u->rows.clear();
  for (const std::vector<uint32_t>& m : members) {
    u->rows.insert(u->rows.end(), m.begin(), m.end());
  }
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

// Adds a piece's bins to the histograms, each pair shared out between its two bins, the
// alike units' weights turned into the three histograms' by their (a, c): the pairs of
// each kind into targets[kind] (all three the same histogram for the whole). Then
// empties the bins for the next piece.
void gather(const AlikeUnits& alike, Bins* piece, PairHistogram* const targets[3]) {
  const double a = alike.a, c = alike.c, times = piece->times;
  const auto share = [times](PairHistogram* h, size_t k, double aa, double ac, double cc,
                             double faa, double fac, double fcc) {
    const size_t below = k == 0 ? 0 : k - 1;  // a pair within half a bin of 0 stays in 0
    h->aa[k] += times * faa;
    h->ac[k] += times * fac;
    h->cc[k] += times * fcc;
    h->aa[below] += times * (aa - faa);
    h->ac[below] += times * (ac - fac);
    h->cc[below] += times * (cc - fcc);
  };
  for (size_t k = 0; k < piece->last; ++k) {
    const double* w = &piece->w[kAny][6 * k];
    share(targets[kAny], k, w[0], w[1], w[2], w[3], w[4], w[5]);
    if (!piece->w[kMixed].empty()) {
      const double* m = &piece->w[kMixed][4 * k];  // sum a_i s_j, c_i s_j, and times f
      share(targets[kMixed], k, a * m[0], c * m[0] + a * m[1], c * m[1], a * m[2],
            c * m[2] + a * m[3], c * m[3]);
      const double* s = &piece->w[kAlike][2 * k];  // sum s_i s_j, and times f
      share(targets[kAlike], k, a * a * s[0], 2.0 * a * c * s[0], c * c * s[0], a * a * s[1],
            2.0 * a * c * s[1], c * c * s[1]);
    }
  }
  for (size_t kind = 0; kind < 3; ++kind) {
    std::vector<double>& w = piece->w[kind];
    std::fill(w.begin(),
              w.begin() +
                  static_cast<std::ptrdiff_t>(std::min(w.size(), 2 * WEIGHTS[kind] * piece->last)),
              0.0);
  }
  piece->last = 0;
}

// Fills the pieces, by up to `threads` threads taking them in turn, each piece's bins
// added to the histograms in the pieces' order as soon as those before it are: the
// threads change the time, never the bits, and a finished piece's bins serve the next
// (one thread uses one set, where keeping every piece's took 50 MB of a 600 A model's
// memory and its time to clear). Only the calling thread reports progress, of the
// pieces added up.
void fill_pieces(const Packed& units, const std::vector<size_t>& bounds, double width, size_t bins,
                 int threads, const AlikeUnits& alike, const Progress& progress,
                 PairHistogram* const targets[3], size_t* last) {
  const size_t count = bounds.size() - 1;
  const auto inverse_width = static_cast<float>(1.0 / width);
  std::atomic<size_t> next(0);
  std::mutex added;  // guards the three below and the histograms
  std::vector<std::vector<Bins>> finished(count), spare;
  size_t in_order = 0;  // the pieces added up
  size_t reported = 0;  // the calling thread's last word on them
  const auto work = [&](bool reports) {
    GroupSums sums;
    if (!units.group_a.empty()) {
      sums.w.assign(2 * WEIGHTS[kAnyOfGroup] * bins, 0.0);
    }
    for (size_t piece = next++; piece < count; piece = next++) {
      std::vector<Bins> own;  // within and, with copies, across
      {
        const std::lock_guard<std::mutex> hold(added);
        if (!spare.empty()) {
          own = std::move(spare.back());
          spare.pop_back();
        }
      }
      if (own.empty()) {
        own.emplace_back(bins, units.general < units.xyz.size() / 3);
        if (units.copies > 1) {  // within stands for count pairs of the whole, across count/2
          own.back().times = static_cast<double>(units.copies);
          own.emplace_back(bins, units.general < units.xyz.size() / 3);
          own.back().times = 0.5 * static_cast<double>(units.copies);
        }
      }
      if (units.copies == 1) {
        add_rows(units, bounds[piece], bounds[piece + 1], inverse_width, &sums, &own[0]);
      } else {
        add_copy_rows(units, bounds[piece], bounds[piece + 1], inverse_width, &sums, &own[0],
                      &own[1]);
      }
      size_t added_up = 0;
      {
        const std::lock_guard<std::mutex> hold(added);
        finished[piece] = std::move(own);
        while (in_order < count && !finished[in_order].empty()) {
          for (Bins& b : finished[in_order]) {
            *last = std::max(*last, b.last);
            gather(alike, &b, targets);
          }
          spare.push_back(std::move(finished[in_order]));
          ++in_order;
        }
        added_up = in_order;
      }
      if (progress.report != nullptr && reports && added_up > reported) {
        reported = added_up;
        progress.report(progress.stage, progress.start + progress.span *
                                                             static_cast<double>(added_up) /
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
  if (progress.report != nullptr && !helpers.empty()) {  // a helper may have ended it
    progress.report(progress.stage, progress.start + progress.span);
  }
#endif
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
  group_rows(&packed, copies.count > 1 ? copies.general : packed.general, bins);
  const std::vector<size_t> bounds = piece_bounds(packed);
  for (size_t kind = 0; kind < 3; ++kind) {
    targets[kind]->aa.assign(bins, 0.0);
    targets[kind]->ac.assign(bins, 0.0);
    targets[kind]->cc.assign(bins, 0.0);
  }
  size_t last = units.size() > 1 ? 1 : 0;  // one past the last bin that holds a pair
  fill_pieces(packed, bounds, width, bins, threads, alike, progress, targets, &last);
  for (size_t kind = 0; kind < 3; ++kind) {
    targets[kind]->aa.resize(last);
    targets[kind]->ac.resize(last);
    targets[kind]->cc.resize(last);
  }
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
