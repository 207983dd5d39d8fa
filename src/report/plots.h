// The planner's plots: a table of plot kinds, each drawn by a file of its own onto the
// shared chart (chart/svg_chart.h).
#ifndef QUORVANE_REPORT_PLOTS_H_
#define QUORVANE_REPORT_PLOTS_H_

#include <string>
#include <vector>

#include "chart/svg_chart.h"
#include "plan/plan_error.h"
#include "plan/plan_series.h"
#include "plan/series_lines.h"

// The plot options.outputs.plot asks for, as a standalone SVG document.
std::string plot_svg(const std::vector<SeriesLine>& lines, const SeriesOptions& options);

// A figure of the series drawn against % D2O, one line per component and the complex
// (dashed), each match point ringed where the line passes it.
struct D2oFigure {
  std::string title;
  std::string axis;                         // the y axis label, with its unit
  double (*value)(const SeriesPoint&);      // the figure plotted
  double (*reference)(const SeriesPoint&);  // a dashed reference line (the solvent); may be null
  bool zero_line;                           // a dashed line at 0 (contrast)
  double scale;                             // from the figure's unit to the axis's
};

// The D2O axis of the series, ticks every 10 % over a wide range and finer over a
// narrow one.
Axis d2o_axis(const SeriesOptions& options);

// An SLD axis's scale from fm/A^3 and its label's unit, by --sld-unit.
double plot_sld_scale(const SeriesOptions& options);
std::string plot_sld_unit(const SeriesOptions& options);

// The chart of `figure`, rendered.
std::string d2o_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                     const D2oFigure& figure);

// The line a curves or P(r) plot draws (--show-component, else the complex, else the
// first with curves), or null when none has curves; and the points it draws
// (--show-d2o, else up to five spread over the series).
const SeriesLine* shown_line(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
// The same choice among the lines for which `drawn` holds.
const SeriesLine* line_to_show(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                               bool (*drawn)(const SeriesLine&));
std::vector<size_t> shown_points(const SeriesLine& line, const SeriesOptions& options);

// Whether the line a curves, P(r) or simulated plot was asked to show is one it can
// draw; false with `*error` naming the lines it can.
bool shown_line_exists(const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       PlanError* error);

// One drawing function per plot kind, each in its own file.
std::string contrast_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
std::string sld_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
std::string i0_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
std::string stuhrmann_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
std::string curves_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
std::string pr_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
std::string time_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
std::string simulated_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options);
// The measured curves with the fitted model (--plot fit), from the plan's whole result.
std::string fit_plot(const PlanResult& planned, const SeriesOptions& options);
std::string guinier_plot(const PlanResult& planned, const SeriesOptions& options);
std::string match_plot(const PlanResult& planned, const SeriesOptions& options);
std::string measured_stuhrmann_plot(const PlanResult& planned, const SeriesOptions& options);

// The plot of options.outputs.plot, of the measured curves where it is one of theirs.
std::string result_plot(const PlanResult& planned, const SeriesOptions& options);

#endif  // QUORVANE_REPORT_PLOTS_H_
