// A measurement as the counts would give it: the buffer-subtracted I(q) of each ring
// of a configuration, with its error bar and resolution, either the expected values
// or Poisson counts drawn from a seeded generator that gives the same numbers on every
// platform.
#ifndef QUORVANE_SCATTERING_SIMULATION_H_
#define QUORVANE_SCATTERING_SIMULATION_H_

#include <cstdint>
#include <random>
#include <vector>

#include "scattering/beamtime.h"
#include "scattering/resolution.h"

// Draws from the Poisson distribution of mean `mean` (at most 1e15): multiplication of
// uniforms below 30, above it W. Hoermann's transformed rejection (PTRS, Insurance:
// Mathematics and Economics 12, 39 (1993)). Uniforms are the generator's top 53 bits.
double poisson(double mean, std::mt19937_64* random);

struct SimulatedPoint {
  double q;           // 1/angstrom
  double intensity;   // 1/cm/sr, after the buffer and the flat background are subtracted
  double error;       // 1/cm/sr, one standard deviation
  double resolution;  // 1/angstrom, the standard deviation of q
};

// What is counted: the sample in a cell of `path` cm and its buffer, each for `time`
// seconds, on `instrument`.
struct Counting {
  Instrument instrument;
  double path;  // cm
  SolutionFigures sample, buffer;
  double time;  // s
};

// The measured curve: each ring counts flux A efficiency T path dOmega (I + B) t with
// dOmega = wavelength^2 q dq / (2 pi), as the counting time has it; each count is
// divided by its transmission, the buffer's subtracted and the flat difference of
// their backgrounds, taken as known, removed. `smeared` is I(q) at the rings' q, smeared
// by their resolution. With `random` null the expected values and their standard
// deviations; otherwise Poisson counts, and errors from the counts as a reduction would
// give them (a count of 0 taken as 1 for its error).
std::vector<SimulatedPoint> simulate_measurement(const Counting& counting,
                                                 const ConfigurationBins& bins,
                                                 const std::vector<double>& smeared,
                                                 std::mt19937_64* random);

// The variance of each ring's I for one second of counting, from the expected counts.
std::vector<double> variance_per_second(const Counting& counting, const ConfigurationBins& bins,
                                        const std::vector<double>& smeared);

#endif  // QUORVANE_SCATTERING_SIMULATION_H_
