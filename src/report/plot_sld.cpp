// Scattering length densities against % D2O, with the solvent's own line: each
// component's line crosses it at its match point.
#include "report/plots.h"

std::string sld_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  return d2o_plot(
      lines, options,
      {"Scattering length densities", "SLD (" + plot_sld_unit(options) + ")",
       [](const SeriesPoint& p) { return p.length_density; },
       [](const SeriesPoint& p) { return p.solvent_sld; }, false, plot_sld_scale(options)});
}
