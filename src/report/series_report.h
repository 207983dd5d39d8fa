// The planner's series reports: the text table with its headings and notes, CSV for
// spreadsheets, and the CSV of the Stuhrmann fits.
#ifndef QUORVANE_REPORT_SERIES_REPORT_H_
#define QUORVANE_REPORT_SERIES_REPORT_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plan/components.h"
#include "plan/series_lines.h"

// `lines` holds one line per component, in order, then possibly the complex. The
// caller checks `out` for write errors.
void write_text_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       const Solvent& solvent, std::FILE* out);
// The series as CSV: a header of the columns' names, then one row per line and point.
std::string csv_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options);

// The Stuhrmann fits as CSV: component, rm_A (negative when Rm^2 is), alpha_fm_per_A,
// beta_fm2_per_A4, residual_A2, points_used (in the fit) and points (of the series).
std::string stuhrmann_csv(const std::vector<SeriesLine>& lines);

#endif  // QUORVANE_REPORT_SERIES_REPORT_H_
