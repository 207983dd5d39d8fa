// The predicted curves as files: I(q) and P(r) as CSV, and what the text report says
// of the model behind them.
#ifndef QUORVANE_REPORT_CURVES_REPORT_H_
#define QUORVANE_REPORT_CURVES_REPORT_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plan/series_lines.h"

// component,d2o_percent,q_per_A,i_per_cm for every line with curves, every point, every q.
std::string curves_csv(const std::vector<SeriesLine>& lines, const std::vector<double>& q);

// component,d2o_percent,r_A,p_r (1/cm per angstrom) likewise, r at the bins' centres.
std::string pr_csv(const std::vector<SeriesLine>& lines);

// The model of the curves and each line's largest distance, for the text report.
void write_curve_figures(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                         std::FILE* out);

#endif  // QUORVANE_REPORT_CURVES_REPORT_H_
