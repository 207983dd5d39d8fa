// What measured curves say, drawn: each curve's Guinier plot with the range its fit
// used, sqrt(I(0)/c) against D2O with the line that finds the measured match point
// beside the predicted one, and the measured Rg^2 against the predicted contrast with
// Stuhrmann's parabola through them.
#include <cmath>
#include <limits>

#include "report/plots.h"
#include "text/text_format.h"

namespace {

std::string plus_minus(double value, double error, int decimals) {
  return fixed(value, decimals) + " \xc2\xb1 " + fixed(error, decimals);
}

// Points beyond the Guinier range drawn as well, so that the bend the fit stopped at
// shows: out to this many times the range's end in q.
constexpr double GUINIER_VIEW = 1.6;

}  // namespace

std::string guinier_plot(const PlanResult& planned, const SeriesOptions& options) {
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  chart.title = "Guinier plots (filled: the points fitted)";
  const double infinity = std::numeric_limits<double>::infinity();
  double x_high = 0.0, low = infinity, high = -infinity;
  for (const MeasuredPoint& m : planned.measured) {
    const MeasuredCurve& c = m.curve;
    const double end = m.guinier.fitted ? m.guinier.q_max * GUINIER_VIEW : c.q[c.q.size() / 4];
    for (size_t k = 0; k < c.q.size() && c.q[k] <= end; ++k) {
      if (c.intensity[k] > 0.0) {
        x_high = std::fmax(x_high, c.q[k] * c.q[k]);
        low = std::fmin(low, std::log(c.intensity[k]));
        high = std::fmax(high, std::log(c.intensity[k]));
      }
    }
  }
  if (!(x_high > 0.0) || !(high >= low)) {
    x_high = 1e-3, low = 0.0, high = 1.0;
  }
  chart.x = linear_axis(0.0, x_high, true, "q\xc2\xb2 (1/\xc3\x85\xc2\xb2)");
  chart.y = linear_axis(low, high, false, "ln I(q)");
  for (size_t n = 0; n < planned.measured.size(); ++n) {
    const MeasuredPoint& m = planned.measured[n];
    const MeasuredCurve& c = m.curve;
    const MeasuredGuinier& g = m.guinier;
    const std::string colour = series_colour(n);
    std::vector<double> in_x, in_y, out_x, out_y;
    for (size_t k = 0; k < c.q.size() && c.q[k] * c.q[k] <= chart.x.max; ++k) {
      if (!(c.intensity[k] > 0.0)) {
        continue;
      }
      const bool used = g.fitted && k >= g.first && k <= g.last;
      (used ? in_x : out_x).push_back(c.q[k] * c.q[k]);
      (used ? in_y : out_y).push_back(std::log(c.intensity[k]));
    }
    plot_markers(&chart, out_x, out_y, colour, Marker::kRing);
    plot_markers(&chart, in_x, in_y, colour, Marker::kDot);
    std::string detail = "no Guinier range";
    if (g.fitted) {
      const double a = g.q_min * g.q_min, b = g.q_max * g.q_max;
      const double slope = -g.rg * g.rg / 3.0;
      plot_line(&chart, {a, b}, {std::log(g.i0) + slope * a, std::log(g.i0) + slope * b},
                LineStyle{colour, 2.0, ""});
      detail = "Rg " + plus_minus(g.rg, g.rg_error, 2) + " \xc3\x85, q " + fixed(g.q_min, 4) +
               "\xe2\x80\x93" + fixed(g.q_max, 4);
    }
    chart.legend.push_back(
        {fixed(m.input.d2o, 1) + " % D2O", detail, LineStyle{colour, 2.0, "", true}});
  }
  return render_chart(chart);
}

std::string match_plot(const PlanResult& planned, const SeriesOptions& options) {
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  const MeasuredMatch& match = planned.measured_match;
  chart.title = "The match point measured" +
                (match.found ? " (" + plus_minus(match.percent, match.error, 1) + " % D2O)"
                             : std::string(": none"));
  // Each point's sign as the line that finds the match took it: positive up to the
  // point where it changes.
  std::vector<double> xs, ys, errors;
  double low = 0.0, high = 0.0;
  bool absolute = true;
  const MeasuredPoint* first = nullptr;
  const MeasuredPoint* last = nullptr;
  for (const MeasuredPoint& m : planned.measured) {
    absolute = absolute && m.curve.intensity_unit == "1/cm";
    if (m.predicted_i0_per_conc > 0.0 && m.contrast_density != 0.0) {
      first = first == nullptr || m.input.d2o < first->input.d2o ? &m : first;
      last = last == nullptr || m.input.d2o > last->input.d2o ? &m : last;
    }
    if (!m.guinier.fitted || !(m.conc > 0.0)) {
      continue;
    }
    const double sign = match.found && m.input.d2o > match.sign_change ? -1.0 : 1.0;
    xs.push_back(m.input.d2o);
    ys.push_back(sign * std::sqrt(m.guinier.i0 / m.conc));
    errors.push_back(m.guinier.i0_error / (2.0 * std::sqrt(m.guinier.i0 * m.conc)));
    low = std::fmin(low, ys.back() - errors.back());
    high = std::fmax(high, ys.back() + errors.back());
  }
  // The prediction's own line, sqrt(I(0)/c) with the sign of the contrast, linear in
  // D2O: through its values at the first and last measured points, where the data are
  // on the absolute scale; in arbitrary units only its match point compares.
  const bool has_prediction = !planned.lines.empty() && planned.lines.back().has_match;
  const bool draws_prediction = has_prediction && absolute && first != nullptr && last != first;
  double at_0 = 0.0, at_100 = 0.0;
  if (draws_prediction) {
    const auto root = [](const MeasuredPoint& m) {
      return std::copysign(std::sqrt(m.predicted_i0_per_conc), m.contrast_density);
    };
    const double slope = (root(*last) - root(*first)) / (last->input.d2o - first->input.d2o);
    at_0 = root(*first) - slope * first->input.d2o;
    at_100 = root(*first) + slope * (100.0 - first->input.d2o);
    low = std::fmin(low, std::fmin(at_0, at_100));
    high = std::fmax(high, std::fmax(at_0, at_100));
  }
  chart.x = exact_axis(0.0, 100.0, 10.0, "D2O in the solvent (%)");
  chart.y = linear_axis(low, high, true, "\xc2\xb1\xe2\x88\x9a(I(0)/c)");
  plot_level(&chart, 0.0);
  const std::string measured = series_colour(0), predicted = series_colour(1);
  plot_error_bars(&chart, xs, ys, errors, measured);
  plot_markers(&chart, xs, ys, measured, Marker::kDot);
  if (match.found) {
    plot_line(&chart, {0.0, 100.0}, {match.intercept, match.intercept + match.slope},
              LineStyle{measured, 2.0, ""});
    mark_point(&chart, match.percent, 0.0, measured);
  }
  chart.legend.push_back(
      {"measured", match.found ? "weighted line, reduced chi2 " + fixed(match.chi2, 2) : "no match",
       LineStyle{measured, 2.0, "", true}});
  if (has_prediction) {
    const SeriesLine& line = planned.lines.back();
    if (draws_prediction) {
      plot_line(&chart, {0.0, 100.0}, {at_0, at_100}, LineStyle{predicted, 2.0, "4 3"});
    }
    const bool on_plot = mark_point(&chart, line.match_percent, 0.0, predicted);
    chart.legend.push_back({"predicted, " + line.label,
                            fixed(line.match_percent, 1) + " % D2O" +
                                (draws_prediction ? "" : " (arbitrary units: its line not drawn)") +
                                (on_plot ? "" : " (off the plot)"),
                            LineStyle{predicted, 2.0, "4 3"}});
  }
  return render_chart(chart);
}

std::string measured_stuhrmann_plot(const PlanResult& planned, const SeriesOptions& options) {
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  const MeasuredStuhrmann& s = planned.measured_stuhrmann;
  chart.title = "Stuhrmann plot, measured" +
                (s.fitted ? " (Rm " + plus_minus(s.rm, s.rm_error, 2) + " \xc3\x85)"
                          : std::string(": no parabola"));
  std::vector<double> xs, ys, errors;
  const double infinity = std::numeric_limits<double>::infinity();
  double x_low = 0.0, x_high = 0.0, low = infinity, high = -infinity;
  for (const MeasuredPoint& m : planned.measured) {
    if (!m.guinier.fitted || m.contrast_density == 0.0) {
      continue;
    }
    xs.push_back(1.0 / m.contrast_density);
    ys.push_back(m.guinier.rg * m.guinier.rg);
    errors.push_back(2.0 * m.guinier.rg * m.guinier.rg_error);
    x_low = std::fmin(x_low, xs.back());
    x_high = std::fmax(x_high, xs.back());
    low = std::fmin(low, ys.back() - errors.back());
    high = std::fmax(high, ys.back() + errors.back());
  }
  if (xs.empty()) {
    x_low = -1.0, x_high = 1.0, low = 0.0, high = 1.0;
  }
  chart.x = linear_axis(x_low, x_high, true, "1/\xce\x94\xcf\x81 (\xc3\x85\xc2\xb3/fm)");
  chart.y = linear_axis(low, high, false, "Rg\xc2\xb2 (\xc3\x85\xc2\xb2)");
  const std::string colour = series_colour(0);
  plot_error_bars(&chart, xs, ys, errors, colour);
  plot_markers(&chart, xs, ys, colour, Marker::kDot);
  if (s.fitted) {
    std::vector<double> px, py;
    constexpr int STEPS = 100;
    px.reserve(STEPS + 1);
    py.reserve(STEPS + 1);
    for (int k = 0; k <= STEPS; ++k) {
      const double x = chart.x.min + (chart.x.max - chart.x.min) * k / STEPS;
      px.push_back(x);
      py.push_back(std::copysign(s.rm * s.rm, s.rm) + s.alpha * x - s.beta * x * x);
    }
    plot_line(&chart, px, py, LineStyle{colour, 2.0, ""});
  }
  const std::string line = planned.stuhrmann_line.empty() ? "the model" : planned.stuhrmann_line;
  chart.legend.push_back({"measured Rg\xc2\xb2", "against the contrast predicted for " + line,
                          LineStyle{colour, 2.0, "", true}});
  return render_chart(chart);
}
