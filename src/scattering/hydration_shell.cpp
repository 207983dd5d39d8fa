#include "scattering/hydration_shell.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

enum : uint8_t { kInside = 1, kNear = 2, kOutside = 4 };

struct Grid {
  double origin[3];
  long n[3];
  std::vector<uint8_t> flags;
  // With owners: each cell's distance to the nearest sphere's surface, and whether that
  // sphere is one of the owned.
  std::vector<float> nearest;
  std::vector<uint8_t> owned;

  size_t index(long i, long j, long k) const {
    return static_cast<size_t>((i * n[1] + j) * n[2] + k);
  }
  double centre(int axis, long i) const {
    return origin[axis] + (static_cast<double>(i) + 0.5) * SHELL_CELL;
  }
};

// Sets `flag` on every cell whose centre lies within `reach` of the sphere's centre;
// with the grid's owners, notes the sphere where it is the cell's nearest yet.
void mark(const Sphere& s, double reach, uint8_t flag, int owner, Grid* g) {
  long lo[3], hi[3];
  const double p[3] = {s.x, s.y, s.z};
  for (int a = 0; a < 3; ++a) {
    lo[a] = std::max(0L, static_cast<long>(std::floor((p[a] - reach - g->origin[a]) / SHELL_CELL)));
    hi[a] = std::min(g->n[a] - 1,
                     static_cast<long>(std::floor((p[a] + reach - g->origin[a]) / SHELL_CELL)));
  }
  for (long i = lo[0]; i <= hi[0]; ++i) {
    for (long j = lo[1]; j <= hi[1]; ++j) {
      for (long k = lo[2]; k <= hi[2]; ++k) {
        const double dx = g->centre(0, i) - s.x, dy = g->centre(1, j) - s.y,
                     dz = g->centre(2, k) - s.z;
        const double d2 = dx * dx + dy * dy + dz * dz;
        if (d2 < reach * reach) {
          const size_t c = g->index(i, j, k);
          g->flags[c] |= flag;
          const auto surface = static_cast<float>(std::sqrt(d2) - s.radius);
          if (owner >= 0 && surface < g->nearest[c]) {
            g->nearest[c] = surface;
            g->owned[c] = static_cast<uint8_t>(owner);
          }
        }
      }
    }
  }
}

// Marks the cells reachable from the grid's corner without crossing the envelope.
void flood_outside(Grid* g) {
  std::vector<size_t> stack = {0};
  g->flags[0] |= kOutside;
  const long n0 = g->n[0], n1 = g->n[1], n2 = g->n[2];
  while (!stack.empty()) {
    const size_t c = stack.back();
    stack.pop_back();
    const long k = static_cast<long>(c % static_cast<size_t>(n2));
    const long j = static_cast<long>((c / static_cast<size_t>(n2)) % static_cast<size_t>(n1));
    const long i = static_cast<long>(c / static_cast<size_t>(n1 * n2));
    const long next[6][3] = {{i - 1, j, k}, {i + 1, j, k}, {i, j - 1, k},
                             {i, j + 1, k}, {i, j, k - 1}, {i, j, k + 1}};
    for (const auto& m : next) {
      if (m[0] < 0 || m[1] < 0 || m[2] < 0 || m[0] >= n0 || m[1] >= n1 || m[2] >= n2) {
        continue;
      }
      const size_t d = g->index(m[0], m[1], m[2]);
      if ((g->flags[d] & (kInside | kOutside)) == 0) {
        g->flags[d] |= kOutside;
        stack.push_back(d);
      }
    }
  }
}

}  // namespace

std::vector<ShellPiece> hydration_shell(const std::vector<Sphere>& units,
                                        const std::vector<bool>& owned, double* whole) {
  if (units.empty()) {
    return {};
  }
  double lo[3] = {units[0].x, units[0].y, units[0].z}, hi[3] = {lo[0], lo[1], lo[2]};
  double largest = 0.0;
  for (const Sphere& s : units) {
    const double p[3] = {s.x, s.y, s.z};
    for (int a = 0; a < 3; ++a) {
      lo[a] = std::min(lo[a], p[a]);
      hi[a] = std::max(hi[a], p[a]);
    }
    largest = std::max(largest, s.radius);
  }
  // Room for the envelope, the layer and a border of free cells to flood from.
  const double margin = largest + WATER_PROBE + SHELL_THICKNESS + 2.0 * SHELL_CELL;
  Grid g;
  for (int a = 0; a < 3; ++a) {
    g.origin[a] = lo[a] - margin;
    g.n[a] = static_cast<long>(std::ceil((hi[a] - lo[a] + 2.0 * margin) / SHELL_CELL));
  }
  const auto grid_cells = static_cast<size_t>(g.n[0] * g.n[1] * g.n[2]);
  g.flags.assign(grid_cells, 0);
  if (!owned.empty()) {
    g.nearest.assign(grid_cells, std::numeric_limits<float>::max());
    g.owned.assign(grid_cells, 0);
  }
  for (size_t u = 0; u < units.size(); ++u) {
    const Sphere& s = units[u];
    mark(s, s.radius + WATER_PROBE, kInside, -1, &g);
    mark(s, s.radius + WATER_PROBE + SHELL_THICKNESS, kNear,
         owned.empty() ? -1
         : owned[u]    ? 1
                       : 0,
         &g);
  }
  flood_outside(&g);
  // Gathered by blocks, in the grid's order, so that the pieces come out the same on
  // every platform.
  std::vector<ShellPiece> shell;
  size_t all = 0;
  for (long bi = 0; bi < g.n[0]; bi += SHELL_BLOCK) {
    for (long bj = 0; bj < g.n[1]; bj += SHELL_BLOCK) {
      for (long bk = 0; bk < g.n[2]; bk += SHELL_BLOCK) {
        ShellPiece piece{0, 0, 0, 0};
        int cells = 0;
        for (long i = bi; i < std::min(bi + SHELL_BLOCK, g.n[0]); ++i) {
          for (long j = bj; j < std::min(bj + SHELL_BLOCK, g.n[1]); ++j) {
            for (long k = bk; k < std::min(bk + SHELL_BLOCK, g.n[2]); ++k) {
              const size_t c = g.index(i, j, k);
              const uint8_t f = g.flags[c];
              const bool layer = (f & kNear) != 0 && (f & kOutside) != 0;
              all += layer ? 1 : 0;
              if (layer && (owned.empty() || g.owned[c] != 0)) {
                piece.x += g.centre(0, i);
                piece.y += g.centre(1, j);
                piece.z += g.centre(2, k);
                ++cells;
              }
            }
          }
        }
        if (cells > 0) {
          const auto n = static_cast<double>(cells);
          shell.push_back(
              {piece.x / n, piece.y / n, piece.z / n, n * SHELL_CELL * SHELL_CELL * SHELL_CELL});
        }
      }
    }
  }
  if (whole != nullptr) {
    *whole = static_cast<double>(all) * SHELL_CELL * SHELL_CELL * SHELL_CELL;
  }
  return shell;
}
