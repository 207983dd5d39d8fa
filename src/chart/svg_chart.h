// Charts as standalone SVG files: a plot area with its frame, grid, ticks, title and
// axis labels, lines and points clipped to the area, marks and a legend beside it.
// Every plot kind of the planner is a chart filled with its own lines; none draws a
// frame or a legend of its own.
#ifndef QUORVANE_CHART_SVG_CHART_H_
#define QUORVANE_CHART_SVG_CHART_H_

#include <string>
#include <vector>

struct Axis {
  double min, max;    // the data range shown
  double step;        // between labelled ticks; for a log axis, in decades
  bool log = false;   // log10 scale
  std::string label;  // UTF-8; made XML text when drawn
  bool fine = false;  // log: ticks at 1, 2 and 5 times each power of ten, not decades only
};

// A linear axis over `low`..`high` in whole steps of 1, 2 or 5 times a power of ten,
// with a step of room where the data would touch an edge. `zero` keeps 0 in sight.
Axis linear_axis(double low, double high, bool zero, const std::string& label);
// A linear axis over exactly `low`..`high` (a D2O range), ticks every `step`.
Axis exact_axis(double low, double high, double step, const std::string& label);
// A log10 axis over the whole decades that hold `low`..`high` (both above 0).
Axis log_axis(double low, double high, const std::string& label);
// A log10 axis from the 1, 2 or 5 times a power of ten at or below `low` to the one at or
// above `high` (both above 0), ticked at each 1, 2 and 5 within it when it spans fewer
// than three decades: measured data, which fill a decade or two, fill the plot.
Axis data_log_axis(double low, double high, const std::string& label);

struct LineStyle {
  std::string colour;
  double width = 2.0;
  std::string dash;     // SVG stroke-dasharray; empty: solid
  bool points = false;  // a legend shows a dot with its error bar, not a line
};

struct LegendEntry {
  std::string label;   // made XML text and cut to fit
  std::string detail;  // a smaller second line; may be empty
  LineStyle style;
};

struct Chart {
  std::string title;
  Axis x, y;
  std::string plotted;  // elements in the plot area, clipped to it
  std::string marks;    // elements over it (labels of marked points), not clipped
  std::vector<LegendEntry> legend;
  // A small screen's layout: 360 pixels wide, the title on two lines, the legend under
  // the plot and every other label of a crowded axis, so that at its own size no text is
  // smaller than 11 pixels.
  bool narrow = false;
};

// The colour of the n-th line of a chart.
std::string series_colour(size_t n);

// Adds a line through the points, broken where a value is not finite (or, on a log
// axis, not above 0) rather than drawn to the edge.
void plot_line(Chart* chart, const std::vector<double>& xs, const std::vector<double>& ys,
               const LineStyle& style);
// The shape of a point's marker.
enum class Marker { kDot, kRing, kSquare, kDatum };  // kDatum: a small dot for dense data

// Adds dots at the points that can be drawn.
void plot_points(Chart* chart, const std::vector<double>& xs, const std::vector<double>& ys,
                 const std::string& colour);
// Adds markers of `shape` at the points that can be drawn.
void plot_markers(Chart* chart, const std::vector<double>& xs, const std::vector<double>& ys,
                  const std::string& colour, Marker shape);
// Adds a vertical bar from y - error to y + error at each point that can be drawn; on a
// log axis a bar reaching 0 or below runs to the bottom of the plot area.
void plot_error_bars(Chart* chart, const std::vector<double>& xs, const std::vector<double>& ys,
                     const std::vector<double>& errors, const std::string& colour);
// Rings a point when it lies in the plot area; returns false when it does not.
bool mark_point(Chart* chart, double x, double y, const std::string& colour);
// A dashed horizontal line at `y` across the plot area.
void plot_level(Chart* chart, double y);

// The chart as a standalone SVG document; it parses as XML whatever its labels hold.
std::string render_chart(const Chart& chart);
// The charts one under another in one SVG document, each as render_chart draws it: a
// plot and the panel of its residuals.
std::string render_stacked(const std::vector<Chart>& charts);

#endif  // QUORVANE_CHART_SVG_CHART_H_
