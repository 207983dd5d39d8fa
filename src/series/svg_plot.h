// The planner's plot: contrast density against % D2O, one line per component and the
// complex, match points marked, as a standalone SVG file.
#ifndef QUORVANE_SERIES_SVG_PLOT_H_
#define QUORVANE_SERIES_SVG_PLOT_H_

#include <string>
#include <vector>

#include "series/series_lines.h"

// The plot as SVG text. Whatever bytes a label holds (labels come from file names and
// FASTA headers), the text parses as XML: markup is escaped, and control characters
// and anything that is not well-formed UTF-8 of an XML character become '?'.
std::string svg_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);

// `text` with markup escaped and every byte sequence that is not a well-formed UTF-8
// encoding of a character XML allows replaced by '?'.
std::string xml_text(const std::string& text);

// Writes the plot to `path`, replacing an earlier file only once complete. Returns
// false with a one-line `*error` on failure.
bool write_svg(const std::string& path, const std::string& svg, std::string* error);

#endif  // QUORVANE_SERIES_SVG_PLOT_H_
