#include "report/plots.h"

#include <cmath>

#include "text/text_format.h"

namespace {

using PlotFunction = std::string (*)(const std::vector<SeriesLine>&, const SeriesOptions&);

struct PlotRow {
  PlotKind kind;
  PlotFunction draw;
};

const PlotRow PLOTS[] = {
    {PlotKind::kContrast, contrast_plot},
    {PlotKind::kSld, sld_plot},
    {PlotKind::kForwardScattering, i0_plot},
    {PlotKind::kStuhrmann, stuhrmann_plot},
    {PlotKind::kCurves, curves_plot},
    {PlotKind::kPr, pr_plot},
    {PlotKind::kTime, time_plot},
    {PlotKind::kSimulated, simulated_plot},
};

// Ticks every 10 % D2O over a wide range, finer over a narrow one.
double d2o_step(double span) {
  return span > 50 ? 10 : span > 10 ? 5 : span > 2 ? 1 : 0.1;
}

}  // namespace

const SeriesLine* shown_line(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  return line_to_show(lines, options,
                      [](const SeriesLine& line) { return !line.curves.intensity.empty(); });
}

const SeriesLine* line_to_show(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                               bool (*drawn)(const SeriesLine&)) {
  const SeriesLine* shown = nullptr;
  for (const SeriesLine& line : lines) {
    if (!drawn(line)) {
      continue;
    }
    if (options.outputs.show_component.empty() ? shown == nullptr || line.is_complex
                                               : line.label == options.outputs.show_component) {
      shown = &line;
    }
  }
  return shown;
}

std::vector<size_t> shown_points(const SeriesLine& line, const SeriesOptions& options) {
  std::vector<size_t> points;
  const size_t n = line.points.size();
  if (options.outputs.show_d2o.empty()) {
    for (size_t k = 0; k < 5 && n > 0; ++k) {
      const size_t i = k * (n - 1) / 4;
      if (points.empty() || points.back() != i) {
        points.push_back(i);
      }
    }
    return points;
  }
  for (double percent : options.outputs.show_d2o) {
    for (size_t i = 0; i < n; ++i) {
      if (std::fabs(line.points[i].d2o_fraction * 100.0 - percent) < 1e-6) {
        points.push_back(i);
      }
    }
  }
  return points;
}

Axis d2o_axis(const SeriesOptions& options) {
  return exact_axis(options.from, options.to, d2o_step(options.to - options.from),
                    "D2O in the solvent (%)");
}

double plot_sld_scale(const SeriesOptions& options) {
  return options.sld_unit == SldUnit::kPerSquareAngstrom ? 10.0 : 1.0;
}

std::string plot_sld_unit(const SeriesOptions& options) {
  // 10^-6 A^-2 with superscripts, or fm/A^3
  return options.sld_unit == SldUnit::kPerSquareAngstrom
             ? "10\xe2\x81\xbb\xe2\x81\xb6 \xc3\x85\xe2\x81\xbb\xc2\xb2"
             : "fm/\xc3\x85\xc2\xb3";
}

std::string result_plot(const PlanResult& planned, const SeriesOptions& options) {
  switch (options.outputs.plot) {
    case PlotKind::kFit:
      return fit_plot(planned, options);
    case PlotKind::kGuinier:
      return guinier_plot(planned, options);
    case PlotKind::kMatch:
      return match_plot(planned, options);
    case PlotKind::kMeasuredStuhrmann:
      return measured_stuhrmann_plot(planned, options);
    default:
      return plot_svg(planned.lines, options);
  }
}

std::string plot_svg(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  for (const PlotRow& row : PLOTS) {
    if (row.kind == options.outputs.plot) {
      return row.draw(lines, options);
    }
  }
  return contrast_plot(lines, options);
}

namespace {

// Where a line passes its match point: at zero, or on the reference line, which is
// linear in the D2O fraction and so read off its ends.
double level_at_match(const SeriesLine& line, const D2oFigure& figure) {
  if (figure.reference == nullptr || line.points.size() < 2) {
    return 0.0;
  }
  const SeriesPoint& a = line.points.front();
  const SeriesPoint& b = line.points.back();
  const double t =
      (line.match_percent / 100.0 - a.d2o_fraction) / (b.d2o_fraction - a.d2o_fraction);
  return (figure.reference(a) + t * (figure.reference(b) - figure.reference(a))) * figure.scale;
}

std::vector<double> figures_of(const SeriesLine& line, double (*value)(const SeriesPoint&),
                               double scale) {
  std::vector<double> ys;
  for (const SeriesPoint& p : line.points) {
    ys.push_back(value(p) * scale);
  }
  return ys;
}

}  // namespace

std::string d2o_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                     const D2oFigure& figure) {
  double low = 0.0, high = 0.0;
  for (const SeriesLine& line : lines) {
    for (const SeriesPoint& p : line.points) {
      for (double y : {figure.value(p) * figure.scale,
                       figure.reference ? figure.reference(p) * figure.scale : 0.0}) {
        if (std::isfinite(y)) {
          low = std::fmin(low, y);
          high = std::fmax(high, y);
        }
      }
    }
  }
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  double exchange = options.exchange;
  const bool uniform = uniform_exchange(lines, &exchange) || lines.empty();
  chart.title = figure.title + (uniform ? " (labile H exchange " + shortest(exchange) + " %)"
                                        : " (labile H exchange per line, in the legend)");
  chart.x = d2o_axis(options);
  chart.y = linear_axis(low, high, true, figure.axis);
  if (figure.zero_line) {
    plot_level(&chart, 0.0);
  }
  std::vector<double> xs;
  if (!lines.empty()) {
    for (const SeriesPoint& p : lines.front().points) {
      xs.push_back(p.d2o_fraction * 100.0);
    }
  }
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    const LineStyle style{series_colour(l), 2.0, line.is_complex ? "8 4" : ""};
    plot_line(&chart, xs, figures_of(line, figure.value, figure.scale), style);
    std::string detail = "no match point";
    if (line.has_match) {
      detail = "match " + fixed(line.match_percent, 2) + " % D2O";
      // The figure goes beside the plot, in the legend: written at the ring, close
      // match points' labels run into each other and into the lines crossing there.
      if (!mark_point(&chart, line.match_percent, level_at_match(line, figure), series_colour(l))) {
        detail += " (off the plot)";
      }
    }
    if (!uniform && !line.is_complex) {
      detail += ", exchange " + shortest(line.exchange) + " %";
    }
    chart.legend.push_back({line.label, detail, style});
  }
  if (figure.reference != nullptr && !lines.empty()) {
    const LineStyle dashed{"#333", 1.5, "4 3"};
    plot_line(&chart, xs, figures_of(lines.front(), figure.reference, figure.scale), dashed);
    chart.legend.push_back({"solvent (H2O/D2O)", "", dashed});
  }
  return render_chart(chart);
}

bool shown_line_exists(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       PlanError* error) {
  const bool simulated = options.outputs.plot == PlotKind::kSimulated;
  const auto drawn = simulated ? [](const SeriesLine& l) { return !l.simulation.points.empty(); }
                               : [](const SeriesLine& l) { return !l.curves.intensity.empty(); };
  if (options.outputs.show_component.empty() || line_to_show(lines, options, drawn) != nullptr) {
    return true;
  }
  std::string labels;
  for (const SeriesLine& line : lines) {
    if (drawn(line)) {
      labels += (labels.empty() ? "" : ", ") + line.label;
    }
  }
  *error = plan_error(-1, "--show-component",
                      "--show-component " + options.outputs.show_component +
                          (simulated ? " names no simulated line; the lines simulated are "
                                     : " names no line with a model; the lines with curves are ") +
                          labels);
  error->value = options.outputs.show_component;
  error->expected = labels;
  error->usage = true;
  return false;
}
