#include "plan/beamtime.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Lysozyme from its residue file (one component unless `options` has more) at `conc`
// mg/mL, timed at `from` and `to` % D2O.
std::vector<SeriesLine> timed(SeriesOptions options, double conc, double from, double to) {
  if (options.components.empty()) {
    options.components.resize(1);
  }
  for (ComponentSpec& spec : options.components) {
    spec.path = QUORVANE_EXAMPLES_DIR "/lysozyme_3.DAT";
  }
  options.conc = conc;
  options.from = from;
  options.to = to;
  options.step = 100.0;
  options.beamtime = true;
  const Solvent solvent = solvent_of(options);
  std::vector<Component> components;
  std::vector<std::string> warnings;
  PlanError error;
  for (size_t i = 0; i < options.components.size(); ++i) {
    EXPECT_TRUE(load_components({&options, &solvent, nullptr}, static_cast<int>(i), &components,
                                &warnings, &error))
        << error.message;
  }
  std::vector<SeriesLine> lines = compute_series(components, options, solvent);
  add_beamtime(components, options, solvent, &lines);
  return lines;
}

// time(first) / time(second) at each point of the series.
std::vector<double> ratios(const std::vector<SeriesLine>& first,
                           const std::vector<SeriesLine>& second) {
  std::vector<double> r;
  for (size_t i = 0; i < first[0].beamtime.points.size(); ++i) {
    EXPECT_TRUE(first[0].beamtime.points[i].signal && second[0].beamtime.points[i].signal);
    r.push_back(first[0].beamtime.points[i].time / second[0].beamtime.points[i].time);
  }
  return r;
}

}  // namespace

// Every count is proportional to the flux: twice the flux, half of every time.
TEST(AddBeamtime, TimeFallsAsOneOverFlux) {
  SeriesOptions options;
  options.flux = 3e5;
  const std::vector<SeriesLine> base = timed(options, 5.0, 0.0, 100.0);
  options.flux = 6e5;
  for (double r : ratios(base, timed(options, 5.0, 0.0, 100.0))) {
    EXPECT_NEAR(2.0, r, 1e-12);
  }
}

// Twice the concentration: signal-dominated (no flat background) the time halves,
// background-dominated (0.05 mg/mL in D2O) it falls four times, and in between at
// 5 mg/mL. The molecule changes the transmission a little (in H2O it displaces water
// richer in hydrogen than itself, in D2O it brings hydrogen in), so the signal-
// dominated ratio lies within 1 % of 2.
TEST(AddBeamtime, TimeFallsAsOneOverConcentrationToItsSquare) {
  SeriesOptions clean;
  clean.background_h2o = 0.0;
  clean.background_d2o = 0.0;
  for (double r : ratios(timed(clean, 5.0, 0.0, 100.0), timed(clean, 10.0, 0.0, 100.0))) {
    EXPECT_NEAR(2.0, r, 0.02);
  }
  const SeriesOptions options;
  for (double r : ratios(timed(options, 0.05, 100.0, 100.0), timed(options, 0.1, 100.0, 100.0))) {
    EXPECT_GT(r, 3.95);
    EXPECT_LE(r, 4.0);
  }
  for (double r : ratios(timed(options, 5.0, 0.0, 100.0), timed(options, 10.0, 0.0, 100.0))) {
    EXPECT_GT(r, 2.05);
    EXPECT_LT(r, 3.95);
  }
}

// At its match point lysozyme gives no signal to count, whatever the flux; H2O, which
// takes a tenth of the beam per millimetre, is counted in the thinnest cell, D2O in the
// thickest.
TEST(AddBeamtime, NoSignalAtTheMatchPointAndTheCellFitsTheSolvent) {
  SeriesOptions options;
  options.flux = 1e9;
  const SeriesLine matched = timed(options, 5.0, 46.1, 46.1)[0];
  ASSERT_TRUE(matched.has_match);
  EXPECT_NEAR(46.1, matched.match_percent, 0.05);
  EXPECT_FALSE(matched.beamtime.points[0].signal);
  options.cells = {1.0, 2.0, 5.0};
  const SeriesLine ends = timed(options, 5.0, 0.0, 100.0)[0];
  EXPECT_EQ(1.0, ends.beamtime.points.front().path);
  EXPECT_EQ(5.0, ends.beamtime.points.back().path);
  EXPECT_EQ(SignalSource::kEstimate, ends.beamtime.source);
  EXPECT_NEAR(1.3 / compact_protein_rg(129.0), ends.beamtime.q_max, 1e-12);
}

// A complex of one lysozyme and two of another is timed as a compact protein of
// 129 + 2 x 129 = 387 residues.
TEST(AddBeamtime, ComplexCountsEveryCopy) {
  SeriesOptions options;
  options.components.resize(2);
  options.components[0].label = "a";
  options.components[1].label = "b";
  options.components[1].copies = 2;
  const SeriesLine complex = timed(options, 5.0, 0.0, 0.0).back();
  ASSERT_TRUE(complex.is_complex);
  EXPECT_EQ(387, complex.residues);
  EXPECT_NEAR(1.3 / compact_protein_rg(387.0), complex.beamtime.q_max, 1e-12);
}
