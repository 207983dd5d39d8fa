// What the text report says of the counting times: the instrument and the figures
// assumed, and for each sample where its signal comes from and its total time.
#ifndef QUORVANE_REPORT_BEAMTIME_REPORT_H_
#define QUORVANE_REPORT_BEAMTIME_REPORT_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plan/series_lines.h"

// Past a month of counting no instrument gives a sample the time: the plan has to
// change (concentration, deuteration, contrast), not the proposal's total.
constexpr double MAX_FEASIBLE_SECONDS = 30.0 * 86400.0;

// A duration in seconds as a person reads it: 45 s, 12.5 min, 3.2 h (to 48 h), 4.5 d;
// "not feasible (more than 30 days)" beyond MAX_FEASIBLE_SECONDS, or "not feasible" with
// `brief` (a table cell).
std::string duration_text(double seconds, bool brief = false);

void write_beamtime(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                    const Solvent& solvent, std::FILE* out);

#endif  // QUORVANE_REPORT_BEAMTIME_REPORT_H_
