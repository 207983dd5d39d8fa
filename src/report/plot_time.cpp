// Counting time against % D2O, one line per sample on a log axis: it shoots up near
// each match point (marked), where the signal vanishes; each point's marker says which
// cell counts it fastest.
#include <cmath>

#include "report/beamtime_report.h"
#include "report/plots.h"
#include "text/text_format.h"

namespace {

// The markers of the cells, in the order of --cells; further cells take the last.
const Marker CELL_MARKERS[] = {Marker::kDot, Marker::kRing, Marker::kSquare};
const char* const CELL_SYMBOLS[] = {"\xe2\x97\x8f", "\xe2\x97\x8b", "\xe2\x96\xa0"};  // ● ○ ■
constexpr size_t MARKERS = sizeof CELL_MARKERS / sizeof CELL_MARKERS[0];

// The unit the longest time reads best in, as the report words durations.
struct TimeUnit {
  double seconds;
  const char* name;
};

TimeUnit time_unit(double longest) {
  return longest < 120.0           ? TimeUnit{1.0, "s"}
         : longest < 7200.0        ? TimeUnit{60.0, "min"}
         : longest < 48.0 * 3600.0 ? TimeUnit{3600.0, "h"}
                                   : TimeUnit{86400.0, "d"};
}

bool feasible(const BeamtimePoint& p) {
  return p.signal && p.time <= MAX_FEASIBLE_SECONDS;
}

}  // namespace

std::string time_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  double low = INFINITY, high = 0.0;
  for (const SeriesLine& line : lines) {
    for (const BeamtimePoint& p : line.beamtime.points) {
      if (feasible(p)) {
        low = std::fmin(low, p.time);
        high = std::fmax(high, p.time);
      }
    }
  }
  if (!(high > 0.0)) {
    low = 1.0;
    high = 10.0;
  }
  Chart chart;
  chart.narrow = options.outputs.narrow_plot;
  chart.title = "Counting time to " + shortest(options.target) + " % on I(0) at " +
                shortest(options.conc) + " mg/mL";
  chart.x = d2o_axis(options);
  const TimeUnit unit = time_unit(high);
  low /= unit.seconds;
  high /= unit.seconds;
  chart.y = log_axis(low, high, std::string("time per sample (") + unit.name + ")");
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    const std::string colour = series_colour(l);
    const LineStyle style{colour, line.is_complex ? 2.5 : 2.0, line.is_complex ? "6 4" : ""};
    std::vector<double> xs, ys;
    for (size_t i = 0; i < line.points.size(); ++i) {
      const BeamtimePoint& p = line.beamtime.points[i];
      xs.push_back(line.points[i].d2o_fraction * 100.0);
      ys.push_back(feasible(p) ? p.time / unit.seconds : NAN);
    }
    plot_line(&chart, xs, ys, style);
    for (size_t cell = 0; cell < options.cells.size(); ++cell) {
      std::vector<double> cx, cy;
      for (size_t i = 0; i < xs.size(); ++i) {
        if (line.beamtime.points[i].cell == cell) {
          cx.push_back(xs[i]);
          cy.push_back(ys[i]);
        }
      }
      plot_markers(&chart, cx, cy, colour, CELL_MARKERS[std::min(cell, MARKERS - 1)]);
    }
    // The legend calls a match point dotted only where the plot draws it.
    const bool drawn =
        line.has_match && line.match_percent >= options.from && line.match_percent <= options.to;
    if (drawn) {
      plot_line(&chart, {line.match_percent, line.match_percent}, {chart.y.min, chart.y.max},
                {colour, 1.0, "2 3"});
    }
    chart.legend.push_back({line.label,
                            line.has_match ? "match " + fixed(line.match_percent, 1) + " % D2O" +
                                                 (drawn ? " (dotted)" : " (off the plot)")
                                           : "",
                            style});
  }
  std::string cells;
  for (size_t cell = 0; cell < options.cells.size(); ++cell) {
    cells += std::string(cells.empty() ? "" : "  ") + CELL_SYMBOLS[std::min(cell, MARKERS - 1)] +
             " " + shortest(options.cells[cell]) + " mm";
  }
  chart.legend.push_back({"cells", cells, {"#ffffff", 0.0, ""}});
  return render_chart(chart);
}
