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
                       std::FILE* out);
void write_csv_report(const std::vector<Component>& components,
                      const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                      std::FILE* out);

// The Stuhrmann fits as CSV: component, rm (angstrom; negative when Rm^2 is), alpha
// (fm/A), beta (fm^2/A^4), residual (square angstrom), points (used in the fit).
std::string stuhrmann_csv(const std::vector<SeriesLine>& lines);

#endif  // QUORVANE_REPORT_SERIES_REPORT_H_
