// Contrast density against % D2O: each line crosses zero at its match point.
#include "report/plots.h"

std::string contrast_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  return d2o_plot(lines, options,
                  {"Contrast against the solvent", "Contrast density (fm/\xc3\x85\xc2\xb3)",
                   [](const SeriesPoint& p) { return p.contrast_density; }, nullptr, true});
}
