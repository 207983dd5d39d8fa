// The Stuhrmann plot: Rg^2 against 1/drho for each line with coordinates, over the
// points its fit used, with the fitted parabola.
#include <cmath>

#include "report/plots.h"
#include "text/text_format.h"

std::string stuhrmann_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  double x_low = 0, x_high = 0, y_low = 0, y_high = 0;
  bool first = true;
  for (const SeriesLine& line : lines) {
    for (size_t i = 0; i < line.in_fit.size(); ++i) {
      if (line.in_fit[i]) {
        const double u = 1.0 / line.points[i].contrast_density;
        const double y = line.gyration[i].rg2;
        x_low = first ? u : std::fmin(x_low, u);
        x_high = first ? u : std::fmax(x_high, u);
        y_low = first ? y : std::fmin(y_low, y);
        y_high = first ? y : std::fmax(y_high, y);
        first = false;
      }
    }
  }
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  chart.title =
      "Stuhrmann plot: Rg\xc2\xb2 = Rm\xc2\xb2 + \xce\xb1/\xce\x94\xcf\x81 - "
      "\xce\xb2/\xce\x94\xcf\x81\xc2\xb2";
  chart.x = linear_axis(x_low, x_high, false, "1/\xce\x94\xcf\x81 (\xc3\x85\xc2\xb3/fm)");
  chart.y = linear_axis(y_low, y_high, false, "Rg\xc2\xb2 (\xc3\x85\xc2\xb2)");
  size_t shown = 0;
  for (const SeriesLine& line : lines) {
    if (line.gyration.empty()) {
      continue;
    }
    const std::string colour = series_colour(shown++);
    std::vector<double> us, rg2;
    for (size_t i = 0; i < line.in_fit.size(); ++i) {
      if (line.in_fit[i]) {
        us.push_back(1.0 / line.points[i].contrast_density);
        rg2.push_back(line.gyration[i].rg2);
      }
    }
    plot_points(&chart, us, rg2, colour);
    const StuhrmannFit& fit = line.stuhrmann;
    std::string detail = "too few points for a fit";
    if (fit.fitted) {
      std::vector<double> xs, ys;
      for (int k = 0; k <= 200; ++k) {
        const double u = chart.x.min + (chart.x.max - chart.x.min) * k / 200.0;
        xs.push_back(u);
        ys.push_back(fit.rm2 + fit.alpha * u - fit.beta * u * u);
      }
      plot_line(&chart, xs, ys, {colour, 1.5, ""});
      const NumberFormat short_form{NumberFormat::kGeneral, 3};
      detail = "Rm\xc2\xb2 " + fixed(fit.rm2, 1) + ", \xce\xb1 " +
               format_number(fit.alpha, short_form) + ", \xce\xb2 " +
               format_number(fit.beta, short_form);
    }
    chart.legend.push_back(
        {line.label, detail + ", " + std::to_string(fit.points) + " points", {colour, 2.0, ""}});
  }
  return render_chart(chart);
}
