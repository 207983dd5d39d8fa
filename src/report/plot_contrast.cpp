// Contrast density against % D2O: each line crosses zero at its match point.
#include "report/plots.h"

std::string contrast_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  return d2o_plot(lines, options,
                  {"Contrast against the solvent", "Contrast SLD (" + plot_sld_unit(options) + ")",
                   [](const SeriesPoint& p) { return p.contrast_density; }, nullptr, true,
                   plot_sld_scale(options)});
}
