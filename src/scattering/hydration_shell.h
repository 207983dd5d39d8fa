// The first layer of water around a molecule, which is denser than the bulk solvent
// and so scatters on its own.
#ifndef QUORVANE_SCATTERING_HYDRATION_SHELL_H_
#define QUORVANE_SCATTERING_HYDRATION_SHELL_H_

#include <vector>

// The layer's thickness (one water molecule), the side of the cells it is found in, and
// the side of the blocks its cells are gathered into as scattering units: a 6 x 6 x 3
// angstrom patch of shell spreads its water about as far (Rg 2.6 A) as a unit does.
constexpr double SHELL_THICKNESS = 3.0;  // angstrom
constexpr double SHELL_CELL = 3.0;       // angstrom
constexpr int SHELL_BLOCK = 2;           // cells a side
// The radius of a water molecule, rolled over the units to find the molecule's surface.
constexpr double WATER_PROBE = 1.4;  // angstrom
// Svergun et al., PNAS 95, 2267 (1998): the first layer is about 10 % denser than bulk.
constexpr double DEFAULT_SHELL_DENSITY = 10.0;  // percent

struct Sphere {
  double x, y, z;
  double radius;  // angstrom
};

// A piece of the layer: the mean position of its cells and their volume.
struct ShellPiece {
  double x, y, z;
  double volume;  // cubic angstrom
};

// The layer: the cells within SHELL_THICKNESS outside the envelope of the spheres
// widened by WATER_PROBE and reachable from outside (cavities are left out), gathered
// by blocks of SHELL_BLOCK^3 cells. Given `owned` (one flag a sphere), only the cells
// whose nearest sphere surface is an owned sphere's: the share of the layer that an
// assembly's first copy holds, which its motions place around the others; then
// `*whole` gets the volume of the whole layer.
std::vector<ShellPiece> hydration_shell(const std::vector<Sphere>& units,
                                        const std::vector<bool>& owned = {},
                                        double* whole = nullptr);

#endif  // QUORVANE_SCATTERING_HYDRATION_SHELL_H_
