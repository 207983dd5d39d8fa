// The simulated measurements of one sample: I against q on log axes with error bars,
// one colour per chosen D2O point, each configuration's points of that colour; the
// points that are not above 0 (beside a match point) are left out of the log axis. The
// sample is --show-component's, else the complex, else the first simulated.
#include <cmath>

#include "report/beamtime_report.h"
#include "report/plots.h"
#include "text/text_format.h"

std::string simulated_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  const SeriesLine* line = line_to_show(
      lines, options, [](const SeriesLine& l) { return !l.simulation.points.empty(); });
  std::vector<size_t> points;
  double q_low = INFINITY, q_high = 0.0, low = INFINITY, high = 0.0;
  if (line != nullptr) {
    points = shown_points(*line, options);
    for (size_t i : points) {
      for (const SimulatedSegment& s : line->simulation.points[i].segments) {
        for (const SimulatedPoint& p : s.data) {
          q_low = std::fmin(q_low, p.q);
          q_high = std::fmax(q_high, p.q);
          if (p.intensity > 0.0) {
            low = std::fmin(low, p.intensity);
            high = std::fmax(high, p.intensity);
          }
        }
      }
    }
  }
  if (!(high > 0.0)) {
    low = 1e-3;
    high = 1.0;
  }
  if (!(q_high > 0.0)) {
    q_low = 0.01;
    q_high = 0.1;
  }
  chart.title = "Simulated data of " + (line != nullptr ? line->label : std::string("nothing")) +
                " (" + shortest(options.conc) + " mg/mL)";
  chart.x = data_log_axis(q_low, q_high, "q (1/\xc3\x85)");
  chart.y = data_log_axis(std::fmax(low, high * 1e-6), high, "I(q) (1/cm)");
  for (size_t n = 0; n < points.size(); ++n) {
    const size_t i = points[n];
    const std::string colour = series_colour(n);
    std::string detail;
    for (const SimulatedSegment& s : line->simulation.points[i].segments) {
      std::vector<double> q, intensity, error;
      for (const SimulatedPoint& p : s.data) {
        q.push_back(p.q);
        intensity.push_back(p.intensity);
        error.push_back(p.error);
      }
      plot_error_bars(&chart, q, intensity, error, colour);
      plot_markers(&chart, q, intensity, colour, Marker::kDatum);
      // Data that would take more than a month to count are a plan's limit, not data.
      detail += (detail.empty() ? "" : ", ") + options.configurations[s.config].name +
                (s.time > MAX_FEASIBLE_SECONDS ? " (not feasible)" : "");
    }
    chart.legend.push_back({fixed(line->points[i].d2o_fraction * 100.0, 1) + " % D2O",
                            detail.empty() ? "no signal" : detail,
                            LineStyle{colour, 1.5, "", true}});
  }
  return render_chart(chart);
}
