// Simulated measurements of a series: the configurations each sample needs, the time
// each gets, the measured curves those times give, and how far a second model's curves
// lie from them.
#ifndef QUORVANE_PLAN_SIMULATION_H_
#define QUORVANE_PLAN_SIMULATION_H_

#include <vector>

#include "plan/components.h"
#include "plan/series_lines.h"

// The configurations (indices into `configs`, their rings, in the order of their lowest
// q) that cover q from 1/(3 rg) to q_max: the low-q one first, the one reaching
// 1/(3 rg) with the widest range (or, if none reaches it, the one reaching lowest),
// then each overlapping the range so far that extends it furthest, or failing that
// the next beyond a gap. `*covered` is false when there is a gap or q_max is not
// reached.
std::vector<size_t> needed_configurations(const std::vector<ConfigurationBins>& configs, double rg,
                                          double q_max, bool* covered);

// The instrument of a configuration: its own flux, or the run's (--flux, or the
// typical flux scaled to the configuration's spread), the run's detector efficiency.
Instrument configuration_instrument(const Configuration& c, const SeriesOptions& options);

// Fills the simulation of every line, after add_beamtime: each point with a signal is
// simulated in each configuration the line needs, the low-q one for the point's
// counting time, each other for the time at which I where it has fallen 100-fold from
// I(0) (or at its last ring) reaches options.target_high. Noise, when asked for, is
// drawn from one generator seeded with options.seed, in the order of lines, points and
// configurations.
void add_simulations(const SeriesOptions& options, std::vector<SeriesLine>* lines);

// The components to read from the second model (options.compare_path): each structure
// component of the first, chain for chain and under its label, so that every line meets
// its counterpart whatever either file is called or however its chains are split; the
// other components as given.
std::vector<ComponentSpec> comparison_specs(const std::vector<Component>& components,
                                            const SeriesOptions& options);

// The comparison with `second` (the same series computed from the second model, with
// curves): for each simulated point of a line of the same label, the expected reduced
// chi-square of the simulated data against the second model's smeared curve,
// 1 + mean((I1 - I2)^2 / dI1^2), and the time, every segment's scaled alike, at which
// it reaches 2.
void add_comparison(const std::vector<SeriesLine>& second, const SeriesOptions& options,
                    std::vector<SeriesLine>* lines);

#endif  // QUORVANE_PLAN_SIMULATION_H_
