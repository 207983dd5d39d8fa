// What the text report says of the measured curves: each one's Guinier fit, and the
// match point they measure beside the one predicted.
#ifndef QUORVANE_REPORT_MEASURED_REPORT_H_
#define QUORVANE_REPORT_MEASURED_REPORT_H_

#include <cstdio>
#include <string>

#include "plan/plan_series.h"

// Nothing when the run has no measured curves. The caller checks `out` for errors.
void write_measured(const PlanResult& planned, std::FILE* out);

// The basis curves as CSV: q_per_A, then each curve and its error.
std::string basis_csv(const BasisCurves& basis);

#endif  // QUORVANE_REPORT_MEASURED_REPORT_H_
