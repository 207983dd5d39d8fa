// Predicted curves, log I against q, one line per chosen D2O point of one component or
// the complex; values that are not above 0 are left out of the log axis.
#include <cmath>

#include "plan/curves.h"
#include "report/plots.h"
#include "text/text_format.h"

std::string curves_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  const SeriesLine* line = shown_line(lines, options);
  const std::vector<double> q = q_grid(options);
  double low = 0.0, high = 0.0;
  std::vector<size_t> points;
  if (line != nullptr) {
    points = shown_points(*line, options);
    for (size_t i : points) {
      for (size_t k = 0; k < q.size(); ++k) {
        const double value = line->curves.intensity[i][k];
        if (value > 0.0) {
          low = low > 0.0 ? std::fmin(low, value) : value;
          high = std::fmax(high, value);
        }
      }
    }
  }
  chart.title = "Predicted curves of " + (line != nullptr ? line->label : std::string("nothing")) +
                " (" + shortest(options.conc > 0.0 ? options.conc : 1.0) + " mg/mL)";
  chart.x = options.q_log ? log_axis(q[1], q.back(), "q (1/\xc3\x85)")
                          : exact_axis(0.0, q.back(), q.back() / 5.0, "q (1/\xc3\x85)");
  chart.y = log_axis(low > 0.0 ? std::fmax(low, high * 1e-8) : 1e-6, high > 0.0 ? high : 1.0,
                     "I(q) (1/cm)");
  for (size_t n = 0; n < points.size(); ++n) {
    const size_t i = points[n];
    const LineStyle style{series_colour(n), 1.5, ""};
    const std::vector<double>& curve = line->curves.intensity[i];
    plot_line(&chart, q, {curve.begin(), curve.begin() + static_cast<std::ptrdiff_t>(q.size())},
              style);
    chart.legend.push_back({fixed(line->points[i].d2o_fraction * 100.0, 1) + " % D2O", "", style});
  }
  return render_chart(chart);
}
