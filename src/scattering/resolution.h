// A pinhole SANS camera in one configuration: the q range its detector reaches, the q
// of each ring of pixels with that ring's resolution, and a curve smeared by it.
#ifndef QUORVANE_SCATTERING_RESOLUTION_H_
#define QUORVANE_SCATTERING_RESOLUTION_H_

#include <functional>
#include <string>
#include <vector>

struct Configuration {
  std::string name;
  double wavelength = 6.0;        // angstrom
  double spread = 0.115;          // FWHM of the wavelength distribution over the wavelength
  double flux = 0.0;              // neutrons per cm^2 per s at the sample; 0: the run's
  double source_aperture = 50.0;  // mm, diameter
  double sample_aperture = 12.7;  // mm, diameter
  double collimation = 8.0;       // m, from the source aperture to the sample aperture
  double distance = 8.0;          // m, from the sample to the detector
  double detector = 640.0;        // mm, the side of a square detector, the beam at its centre
  double pixel = 5.0;             // mm
};

// The radius (mm) of the direct beam on the detector: the penumbra of the two
// apertures, which the beam stop covers.
double beam_radius(const Configuration& c);

// q (1/angstrom) of a neutron scattered to `radius` mm from the beam's centre.
double q_at_radius(const Configuration& c, double radius);

// The rings of pixels a configuration counts: from one pixel outside the beam stop to
// the detector's nearest edge (the last whole ring), each ring one pixel wide.
struct ConfigurationBins {
  std::vector<double> q;      // 1/angstrom, at the ring's middle
  std::vector<double> width;  // 1/angstrom, from the ring's inner to its outer edge
  std::vector<double> sigma;  // 1/angstrom, the standard deviation of q in the ring
};
ConfigurationBins configuration_bins(const Configuration& c);

// The standard deviation of q at `q`: the geometric terms of D. F. R. Mildner and
// J. M. Carpenter, J. Appl. Cryst. 17, 249-256 (1984), in the small-angle form (the full
// geometry's cos(2 theta) and cos(theta) taken as 1), each the variance of a uniformly lit
// disc (radius^2 / 4) or pixel (width^2 / 12) seen from the sample, and the wavelength's
// of a triangular distribution (FWHM^2 / 6):
//   sigma^2 = k^2 [R1^2 / (4 L1^2) + R2^2 (1/L1 + 1/L2)^2 / 4 + p^2 / (12 L2^2)]
//             + q^2 spread^2 / 6,   k = 2 pi / wavelength,
// R1, R2 the source and sample apertures' radii, L1 the collimation, L2 the distance.
double q_resolution(const Configuration& c, double q);

// I(q) averaged over a Gaussian of standard deviation sigma[k] about each q[k], out to
// SMEAR_WIDTH sigma; I is taken at |q'|, the ring on the other side of the beam.
constexpr double SMEAR_WIDTH = 4.0;
std::vector<double> smear(const std::function<double(double)>& intensity,
                          const std::vector<double>& q, const std::vector<double>& sigma);

#endif  // QUORVANE_SCATTERING_RESOLUTION_H_
