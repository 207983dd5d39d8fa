// What the text report says of the counting times: the instrument and the figures
// assumed, and for each sample where its signal comes from and its total time.
#ifndef QUORVANE_REPORT_BEAMTIME_REPORT_H_
#define QUORVANE_REPORT_BEAMTIME_REPORT_H_

#include <cstdio>
#include <string>
#include <vector>

#include "plan/series_lines.h"

// A duration in seconds as a person reads it: 45 s, 12.5 min, 3.2 h.
std::string duration_text(double seconds);

void write_beamtime(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                    const Solvent& solvent, std::FILE* out);

#endif  // QUORVANE_REPORT_BEAMTIME_REPORT_H_
