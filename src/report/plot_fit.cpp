// The model against the data: each measured curve with its error bars and the fitted
// model through it, on log axes that span the data, one colour per contrast, each
// contrast's reduced chi-square in the legend; under it, once fitted, the residuals in
// units of each point's error, on the same q axis, where a misfit shows as a trend that
// the log scale above hides.
#include <cmath>

#include "report/plots.h"
#include "text/text_format.h"

std::string fit_plot(const PlanResult& planned, const SeriesOptions& options) {
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  const ModelFit& fit = planned.fit;
  double q_low = INFINITY, q_high = 0.0, low = INFINITY, high = 0.0;
  for (const MeasuredPoint& m : planned.measured) {
    for (size_t k = 0; k < m.curve.q.size(); ++k) {
      q_low = std::fmin(q_low, m.curve.q[k]);
      q_high = std::fmax(q_high, m.curve.q[k]);
      if (m.curve.intensity[k] > 0.0) {
        low = std::fmin(low, m.curve.intensity[k]);
        high = std::fmax(high, m.curve.intensity[k]);
      }
    }
  }
  if (!(high > 0.0) || !(q_high > 0.0)) {
    low = 1e-3, high = 1.0, q_low = 0.01, q_high = 0.1;
  }
  chart.title = "The model fitted to the data" +
                (fit.fitted ? " (shell " + fixed(fit.shell_density, 1) + " % denser)"
                            : std::string(": no fit"));
  chart.x = data_log_axis(q_low, q_high, "q (1/\xc3\x85)");
  chart.y = data_log_axis(std::fmax(low, high * 1e-6), high, "I(q)");
  for (size_t n = 0; n < planned.measured.size(); ++n) {
    const MeasuredCurve& c = planned.measured[n].curve;
    const std::string colour = series_colour(n);
    plot_error_bars(&chart, c.q, c.intensity, c.error, colour);
    plot_markers(&chart, c.q, c.intensity, colour, Marker::kDatum);
    std::string detail = "no fit";
    if (fit.fitted && n < fit.contrasts.size()) {
      plot_line(&chart, c.q, fit.contrasts[n].model, LineStyle{colour, 1.5, ""});
      detail = "model: reduced chi2 " + fixed(fit.contrasts[n].chi2, 2);
    }
    chart.legend.push_back({fixed(planned.measured[n].input.d2o, 1) + " % D2O", detail,
                            LineStyle{colour, 1.5, "", true}});
  }
  if (!fit.fitted) {
    return render_chart(chart);
  }
  Chart residuals;
  residuals.narrow = chart.narrow;
  residuals.title = "Residuals: (data - model) / error";
  residuals.x = chart.x;
  double largest = 3.0;
  std::vector<std::vector<double>> normalised(planned.measured.size());
  for (size_t n = 0; n < planned.measured.size() && n < fit.contrasts.size(); ++n) {
    const MeasuredCurve& c = planned.measured[n].curve;
    const std::vector<double>& model = fit.contrasts[n].model;
    for (size_t k = 0; k < c.q.size() && k < model.size(); ++k) {
      normalised[n].push_back((c.intensity[k] - model[k]) / c.error[k]);
      largest = std::fmax(largest, std::fabs(normalised[n].back()));
    }
  }
  residuals.y = linear_axis(-largest, largest, true, "residual (standard deviations)");
  plot_level(&residuals, 0.0);
  for (size_t n = 0; n < normalised.size(); ++n) {
    const MeasuredCurve& c = planned.measured[n].curve;
    plot_markers(&residuals, c.q, normalised[n], series_colour(n), Marker::kDatum);
    residuals.legend.push_back(chart.legend[n]);
  }
  return render_stacked({chart, residuals});
}
