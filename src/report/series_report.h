// The planner's series reports: the text table with its headings and notes, CSV for
// spreadsheets, and the CSV of the Stuhrmann fits.
#ifndef QUORVANE_REPORT_SERIES_REPORT_H_
#define QUORVANE_REPORT_SERIES_REPORT_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plan/components.h"
#include "plan/plan_series.h"
#include "plan/series_lines.h"

// `lines` holds one line per component, in order, then possibly the complex. The
// caller checks `out` for write errors.
void write_text_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       const Solvent& solvent, std::FILE* out);
// The series as CSV: a header of the columns' names, then one row per line and point.
std::string csv_report(const std::vector<Component>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options);

// The whole report of a plan as the command writes it: the records' screen with
// options.records, else the text report and what it says of the measured curves. The
// caller checks `out` for write errors.
void write_report(const PlanResult& planned, const SeriesOptions& options, std::FILE* out);

// The same as text, for callers that hand it on (Python, the page); "" when no
// temporary file can be had to write it through.
std::string report_text(const PlanResult& planned, const SeriesOptions& options);

// The model's assumptions, as the report's "Model:" line says them.
std::string model_text(const SeriesOptions& options);

// The uniform deuteration that matches a component at its --match-at point, or why none
// does, as the report says it: "label: deuteration 62.3 % (60.1-64.0) matches it at 100 %
// D2O".
std::string match_at_text(const Component& c, const SeriesOptions& options, const Solvent& solvent);

// The Stuhrmann fits as CSV: component, rm_A (negative when Rm^2 is), alpha_fm_per_A,
// beta_fm2_per_A4, residual_A2, points_used (in the fit) and points (of the series).
std::string stuhrmann_csv(const std::vector<SeriesLine>& lines);

#endif  // QUORVANE_REPORT_SERIES_REPORT_H_
