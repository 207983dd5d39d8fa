// What the text report says of the measured curves: each one's Guinier fit, and the
// match point they measure beside the one predicted.
#ifndef QUORVANE_REPORT_MEASURED_REPORT_H_
#define QUORVANE_REPORT_MEASURED_REPORT_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plan/plan_series.h"

// Nothing when the run has no measured curves. The caller checks `out` for errors.
void write_measured(const PlanResult& planned, std::FILE* out);

// A measured curve's row of the report's table, each cell as the report words it.
struct MeasuredRow {
  std::string d2o, file;  // % D2O to one decimal; the file's name without its folders
  bool fitted = false;
  std::string why;                                   // when not fitted
  std::string points, q_range, rg, i0, i0_per_conc;  // i0_per_conc empty without a concentration
};
std::vector<MeasuredRow> measured_rows(const PlanResult& planned);

// What the report says after the table: the curves against the prediction, the
// measured match point, Stuhrmann's parabola, the model's fit, the basis curves.
std::string measured_findings(const PlanResult& planned);

// The basis curves as CSV: q_per_A, then each curve and its error.
std::string basis_csv(const BasisCurves& basis);

#endif  // QUORVANE_REPORT_MEASURED_REPORT_H_
