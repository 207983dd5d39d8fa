// Forward scattering I(0) against % D2O: it vanishes at each match point.
#include "report/plots.h"
#include "text/text_format.h"

std::string i0_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  return d2o_plot(lines, options,
                  {"Forward scattering at " + shortest(options.conc) + " mg/mL", "I(0) (1/cm)",
                   [](const SeriesPoint& p) { return p.forward_scattering; }, nullptr, false, 1.0});
}
