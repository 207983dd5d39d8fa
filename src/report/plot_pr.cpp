// The pair-distance distribution P(r), one line per chosen D2O point of one component
// or the complex; near a match point it changes sign.
#include <cmath>

#include "plan/curves.h"
#include "report/plots.h"
#include "text/text_format.h"

namespace {

constexpr double PR_TAIL = 1.1;  // the frame's end over Dmax

}  // namespace

std::string pr_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  const SeriesLine* line = shown_line(lines, options);
  double low = 0.0, high = 0.0, r_max = 1.0;
  std::vector<size_t> points;
  if (line != nullptr) {
    points = shown_points(*line, options);
    // Past Dmax only the units' own spread remains, a tail the frame leaves out.
    r_max = std::fmax(PR_TAIL * line->curves.dmax, 1.0);
    for (size_t i : points) {
      for (size_t k = 0; k < line->curves.pr[i].size(); ++k) {
        low = std::fmin(low, line->curves.pr[i][k]);
        high = std::fmax(high, line->curves.pr[i][k]);
      }
    }
  }
  chart.title =
      "Pair-distance distribution of " + (line != nullptr ? line->label : std::string("nothing"));
  chart.x = linear_axis(0.0, r_max, true, "r (\xc3\x85)");
  chart.y = linear_axis(low, high, true, "P(r) (1/cm per \xc3\x85)");
  plot_level(&chart, 0.0);
  for (size_t n = 0; line != nullptr && n < points.size(); ++n) {
    const size_t i = points[n];
    std::vector<double> rs, ps;
    for (size_t k = 0; k < line->curves.pr[i].size(); ++k) {
      rs.push_back((static_cast<double>(k) + 0.5) * PR_STEP);
      ps.push_back(line->curves.pr[i][k]);
    }
    const LineStyle style{series_colour(n), 1.5, ""};
    plot_line(&chart, rs, ps, style);
    chart.legend.push_back({fixed(line->points[i].d2o_fraction * 100.0, 1) + " % D2O", "", style});
  }
  return render_chart(chart);
}
