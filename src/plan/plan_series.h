// The planner's typed entry: a run's options in, every figure out, unrounded. The
// command line, the Python module and the web page all plan through it and differ only
// in how they fill the options and show the result.
#ifndef QUORVANE_PLAN_PLAN_SERIES_H_
#define QUORVANE_PLAN_PLAN_SERIES_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plan/components.h"
#include "plan/measured_analysis.h"
#include "plan/model_fit.h"
#include "plan/plan_error.h"
#include "plan/series_lines.h"

// A measured curve of the run, read and fitted.
struct MeasuredPoint {
  MeasuredInput input;
  double conc;  // mg/mL; 0 where neither --measured-conc nor --conc gives one
  MeasuredCurve curve;
  MeasuredGuinier guinier;
  // I(0)/c that the last line (the complex, or the one component) predicts at this D2O
  // point, 1/cm per mg/mL; 0 without components.
  double predicted_i0_per_conc = 0.0;
  double contrast_density = 0.0;  // fm/A^3, the last line's predicted, for Stuhrmann's parabola
};

struct PlanResult {
  Solvent solvent;
  std::vector<Component> components;    // each record, chain group or formula, in order
  std::vector<SeriesLine> lines;        // each component, then the complex; none for records
  std::vector<std::string> warnings;    // what was left out or guessed, one line each
  std::vector<MeasuredPoint> measured;  // in the order given
  MeasuredMatch measured_match;         // of the measured points with a concentration
  // Of the measured radii against the predicted contrasts of the last line (the complex,
  // or the one component) at their D2O points; with components only.
  MeasuredStuhrmann measured_stuhrmann;
  std::string stuhrmann_line;  // the label of that line
  // With exactly two components: the measured series decomposed into its basis curves,
  // the first component's contrast d1 and the second's d2.
  BasisCurves basis;
  ModelFit fit;  // with options.fit_measured
};

// Plans `options` (checked, its configurations resolved): reads every component (a
// file, a caller's text, a formula; "-" from `standard_input`), and computes the series,
// or with options.records only the components, then what the options ask for: curves
// and P(r), counting times, simulated measurements and the comparison with a second
// model; and reads and fits the measured curves. Returns false with `*error` when a component
// cannot be read or planned, two share a label, or the second model cannot be read;
// `result->warnings` holds what was heard until then.
bool plan_series(const SeriesOptions& options, std::FILE* standard_input, PlanResult* result,
                 PlanError* error);

#endif  // QUORVANE_PLAN_PLAN_SERIES_H_
