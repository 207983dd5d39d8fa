#include "chart/svg_chart.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The y1 (bottom) and y2 (top) of each line element, in order.
std::vector<std::pair<double, double>> bars(const std::string& svg) {
  std::vector<std::pair<double, double>> found;
  for (size_t at = svg.find("<line"); at != std::string::npos; at = svg.find("<line", at + 1)) {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    EXPECT_EQ(4, std::sscanf(svg.c_str() + at, "<line x1=\"%lf\" y1=\"%lf\" x2=\"%lf\" y2=\"%lf\"",
                             &x1, &y1, &x2, &y2));
    found.emplace_back(y1, y2);
  }
  return found;
}

}  // namespace

// A bar runs from y - error to y + error: on an axis from 0 to 10, 5 +- 5 spans the plot
// area and 5 +- 2 the middle 40 % of it, about the same centre. On a log axis from 1 to
// 100 a bar reaching below 0 runs to the bottom, as one reaching the axis' 1 does.
TEST(PlotErrorBars, SpanTheirErrors) {
  Chart chart;
  chart.x = exact_axis(0, 10, 1, "x");
  chart.y = exact_axis(0, 10, 1, "y");
  plot_error_bars(&chart, {5, 5}, {5, 5}, {5, 2}, "#000");
  const auto linear = bars(chart.plotted);
  ASSERT_EQ(2u, linear.size());
  const auto [bottom, top] = linear[0];
  EXPECT_GT(bottom, top + 100);
  EXPECT_NEAR(0.4 * (bottom - top), linear[1].first - linear[1].second, 0.2);
  EXPECT_NEAR(bottom + top, linear[1].first + linear[1].second, 0.2);
  chart.plotted.clear();
  chart.y = log_axis(1, 100, "y");
  plot_error_bars(&chart, {5, 5}, {10, 10}, {20, 9}, "#000");
  const auto log = bars(chart.plotted);
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ(log[1].first, log[0].first);
  EXPECT_LT(log[0].second, log[1].second);
}

// Data a decade or two wide fill their axis: it runs from the 1, 2 or 5 times a power of
// ten at or below the lowest value to the one at or above the highest, labelled at each
// of them; past three decades it keeps to whole decades.
TEST(DataLogAxis, EnclosesTheDataClosely) {
  const struct {
    double low, high, min, max;
    bool fine;
  } cases[] = {{0.0099, 0.196, 0.005, 0.2, true},
               {4e-4, 0.02, 2e-4, 0.02, true},
               {0.01, 0.01, 0.01, 0.02, true},
               {1e-5, 0.5, 1e-5, 1.0, false}};
  for (const auto& c : cases) {
    const Axis axis = data_log_axis(c.low, c.high, "q");
    EXPECT_DOUBLE_EQ(c.min, axis.min) << c.low;
    EXPECT_DOUBLE_EQ(c.max, axis.max) << c.high;
    EXPECT_EQ(c.fine, axis.fine) << c.low;
  }
  Chart chart;
  chart.x = data_log_axis(0.0099, 0.196, "q");
  chart.y = data_log_axis(1e-5, 0.5, "I");
  const std::string svg = render_chart(chart);
  for (const char* label : {">0.005<", ">0.01<", ">0.02<", ">0.05<", ">0.1<", ">0.2<", ">1e-05<"}) {
    EXPECT_NE(std::string::npos, svg.find(label)) << label;
  }
  EXPECT_EQ(std::string::npos, svg.find(">0.5<"));
}
