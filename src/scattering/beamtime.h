// Planning figures for a SANS measurement of a solution: how much of the beam a cell of
// it transmits, its flat background, and how long the sample and its buffer must be
// counted for the forward scattering to reach a relative error. Every figure that is
// not computed from the composition is a measured planning figure with its source.
#ifndef QUORVANE_SCATTERING_BEAMTIME_H_
#define QUORVANE_SCATTERING_BEAMTIME_H_

#include <vector>

#include "scattering/solvent.h"

// Measured total cross sections of water per molecule (scattering and absorption,
// barn), taken as linear in the wavelength through two measured points each:
//   H2O: 4.46 1/cm at 2.4 A (the transmissions of 1 and 2 mm, 0.64 and 0.41, quoted by
//        the NIST Center for Neutron Research) and 7.0 1/cm at 5 meV, 4.045 A (R. P.
//        May, K. Ibel and J. Haas, J. Appl. Cryst. 15, 15 (1982));
//   D2O: 0.53 1/cm at 2.4 A (NIST: 0.95, 0.90, 0.76 and 0.58 for 1, 2, 5 and 10 mm)
//        and 22 barn at 6 A (C. J. Glinka, J. Appl. Cryst. 44, 618 (2011)).
// The 1/cm figures are turned into barn at the densities of 20 C.
double h2o_cross_section(double wavelength);  // barn per molecule
double d2o_cross_section(double wavelength);  // barn per molecule

// The flat background of the pure liquids, 1/cm/sr: the planning figures of the NIST
// Center for Neutron Research for about 6 A, 1.0 for H2O and 0.05 for D2O, which users
// who measured their own replace.
constexpr double H2O_BACKGROUND = 1.0;
constexpr double D2O_BACKGROUND = 0.05;

// Hydrogen and deuterium atoms per cubic centimetre.
struct Hydrogens {
  double h = 0.0, d = 0.0;
};

// What a solution does to the beam: its attenuation (1/cm; the transmission of a path
// d cm is exp(-attenuation d)) and its flat background (1/cm/sr).
struct SolutionFigures {
  double attenuation;
  double background;
};

// The per-atom figures of the solution's hydrogens: each H (D) attenuates and scatters
// flat as one of water does, (sigma_water - sigma_O) / 2 and background / 2 per
// molecule. Oxygen counts its bound-atom cross sections; the other atoms of solutes
// and samples, about 6 barn each against 150 for a hydrogen at 6 A, are left out.
struct HydrogenFigures {
  double h_cross, d_cross;            // barn per atom
  double o_cross;                     // barn per water oxygen
  double h_background, d_background;  // cm^2/sr per atom
};
HydrogenFigures hydrogen_figures(const Solvent& solvent, double wavelength, double background_h2o,
                                 double background_d2o);

// The buffer at D2O fraction x: its water (by volume, at the solvent's temperature) and
// the hydrogens of its solutes, labile ones taking the solvent's share of deuterium.
SolutionFigures buffer_figures(const Solvent& solvent, const HydrogenFigures& atoms, double x);

// The sample: molecules taking the volume fraction `volume_fraction` of the buffer's
// place, with `hydrogens` of their own per cubic centimetre.
SolutionFigures sample_figures(const SolutionFigures& buffer, const HydrogenFigures& atoms,
                               double volume_fraction, const Hydrogens& hydrogens);

// An instrument as the counting time sees it.
struct Instrument {
  double flux;        // neutrons per cm^2 per s at the sample
  double aperture;    // mm, the diameter of the sample aperture
  double wavelength;  // angstrom
  double efficiency;  // of the detector
};

// The curve to be counted: I(q) in 1/cm/sr at equally spaced q (1/angstrom) from
// q_min to q_max, the centres of bins of equal width.
struct CountedRange {
  std::vector<double> q;
  std::vector<double> intensity;
  double width;                // of a bin, 1/angstrom
  std::vector<double> widths;  // of each bin, when they differ (a detector's rings)
};

// The Guinier range q_min..q_max cut into this many bins for the counting time.
constexpr int COUNTED_BINS = 50;

// A signal below this share of the buffer's own count rate over the same range is
// reported as none: buffer subtraction is not trusted below a 0.1 % mismatch of the
// buffer's transmission, thickness or D2O content, whatever the counting time.
constexpr double SIGNAL_FLOOR = 1e-3;

struct CountingTime {
  bool signal;         // false: below SIGNAL_FLOOR, or no positive intensity to fit
  double signal_rate;  // coherent counts per second over the range
  double time;         // s, for the sample; the buffer takes as long again
};

// Neutrons counted per second per 1/cm/sr in the ring of centre `q` and width `width`
// (1/angstrom) from a cell of `path` cm, before transmission: flux A efficiency path
// dOmega, with dOmega = lambda^2 q dq / (2 pi) the whole ring's solid angle.
double ring_rate(const Instrument& instrument, double path, double q, double width);

// Counting a cell of `path` cm of the sample (transmission and background of
// `sample`) and of its buffer for the same time t: every q bin of solid angle
// lambda^2 q dq / (2 pi) (a whole ring of the detector) counts
// N = flux A efficiency T path dOmega (I + B) t, the buffer's counts are subtracted
// after each is divided by its transmission, and ln I(q) is fitted by weighted least
// squares as ln I(0) - q^2 Rg^2 / 3, each bin weighted by the inverse of its relative
// variance. The time is that at which the fitted I(0)'s relative error reaches
// `target`; it scales as 1/flux.
CountingTime counting_time(const Instrument& instrument, double path, const SolutionFigures& sample,
                           const SolutionFigures& buffer, const CountedRange& range, double target);

#endif  // QUORVANE_SCATTERING_BEAMTIME_H_
