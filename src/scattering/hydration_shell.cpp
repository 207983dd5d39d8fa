#include "scattering/hydration_shell.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

enum : uint8_t { kInside = 1, kNear = 2, kOutside = 4 };

struct Grid {
  double origin[3];
  long n[3];
  std::vector<uint8_t> flags;

  size_t index(long i, long j, long k) const {
    return static_cast<size_t>((i * n[1] + j) * n[2] + k);
  }
  double centre(int axis, long i) const {
    return origin[axis] + (static_cast<double>(i) + 0.5) * SHELL_CELL;
  }
};

// Sets `flag` on every cell whose centre lies within `reach` of the sphere's centre.
void mark(const Sphere& s, double reach, uint8_t flag, Grid* g) {
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
        if (dx * dx + dy * dy + dz * dz < reach * reach) {
          g->flags[g->index(i, j, k)] |= flag;
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

std::vector<ShellPiece> hydration_shell(const std::vector<Sphere>& units) {
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
  g.flags.assign(static_cast<size_t>(g.n[0] * g.n[1] * g.n[2]), 0);
  for (const Sphere& s : units) {
    mark(s, s.radius + WATER_PROBE, kInside, &g);
    mark(s, s.radius + WATER_PROBE + SHELL_THICKNESS, kNear, &g);
  }
  flood_outside(&g);
  // Gathered by blocks, in the grid's order, so that the pieces come out the same on
  // every platform.
  std::vector<ShellPiece> shell;
  for (long bi = 0; bi < g.n[0]; bi += SHELL_BLOCK) {
    for (long bj = 0; bj < g.n[1]; bj += SHELL_BLOCK) {
      for (long bk = 0; bk < g.n[2]; bk += SHELL_BLOCK) {
        ShellPiece piece{0, 0, 0, 0};
        int cells = 0;
        for (long i = bi; i < std::min(bi + SHELL_BLOCK, g.n[0]); ++i) {
          for (long j = bj; j < std::min(bj + SHELL_BLOCK, g.n[1]); ++j) {
            for (long k = bk; k < std::min(bk + SHELL_BLOCK, g.n[2]); ++k) {
              const uint8_t f = g.flags[g.index(i, j, k)];
              if ((f & kNear) != 0 && (f & kOutside) != 0) {
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
  return shell;
}
