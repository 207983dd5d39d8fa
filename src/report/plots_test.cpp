#include "report/plots.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A line with points at `percents` % D2O.
SeriesLine line_at(const std::vector<double>& percents, const char* label = "",
                   bool complex = false) {
  SeriesLine line;
  line.label = label;
  line.is_complex = complex;
  for (double percent : percents) {
    line.points.push_back(SeriesPoint{});
    line.points.back().d2o_fraction = percent / 100.0;
  }
  return line;
}

}  // namespace

// A curves or P(r) plot draws five points spread over the series (k (n - 1) / 4, each
// once), or exactly the --show-d2o ones, which must lie on the series.
TEST(ShownPoints, SpreadOrChosen) {
  const struct {
    int points;
    std::vector<double> show;
    std::vector<size_t> shown;
  } cases[] = {
      {11, {}, {0, 2, 5, 7, 10}}, {3, {}, {0, 1, 2}}, {1, {}, {0}},
      {11, {40, 100}, {4, 10}},   {11, {45, 0}, {0}}, {0, {}, {}},
  };
  for (const auto& c : cases) {
    std::vector<double> percents(static_cast<size_t>(c.points));
    for (size_t i = 0; i < percents.size(); ++i) {
      percents[i] = 10.0 * static_cast<double>(i);
    }
    SeriesOptions options;
    options.outputs.show_d2o = c.show;
    EXPECT_EQ(c.shown, shown_points(line_at(percents), options)) << c.points;
  }
}

// Without --show-component the complex is drawn, else the first line with curves.
TEST(ShownLine, ComplexFirstLineOrNamed) {
  const std::vector<SeriesLine> lines = {line_at({0}, "A"), line_at({}, "B"),
                                         line_at({0}, "A+B", true)};
  const auto drawn = [](const SeriesLine& line) { return !line.points.empty(); };
  SeriesOptions options;
  EXPECT_EQ(&lines[2], line_to_show(lines, options, drawn));
  const std::vector<SeriesLine> parts = {lines[1], lines[0], line_at({0}, "C")};
  EXPECT_EQ(&parts[1], line_to_show(parts, options, drawn));
  options.outputs.show_component = "B";
  EXPECT_EQ(nullptr, line_to_show(lines, options, drawn));  // B has no points
  options.outputs.show_component = "A";
  EXPECT_EQ(&lines[0], line_to_show(lines, options, drawn));
}

// 1 fm/A^3 is 1e-13 cm / 1e-24 cm^3 = 1e11 cm^-2, ten times 1e-6 A^-2 (1e10 cm^-2).
TEST(PlotSldUnit, ScaleAndLabelAgree) {
  SeriesOptions options;
  EXPECT_EQ(10.0, plot_sld_scale(options));
  EXPECT_EQ("10\xe2\x81\xbb\xe2\x81\xb6 \xc3\x85\xe2\x81\xbb\xc2\xb2", plot_sld_unit(options));
  options.sld_unit = SldUnit::kFmPerCubicAngstrom;
  EXPECT_EQ(1.0, plot_sld_scale(options));
  EXPECT_EQ("fm/\xc3\x85\xc2\xb3", plot_sld_unit(options));
}

// A P(r) plot draws one line for each chosen point, named by its D2O, and no other.
TEST(PrPlot, OneLinePerChosenPoint) {
  std::vector<SeriesLine> lines = {line_at({0, 50, 100}, "A")};
  lines[0].curves.intensity.assign(3, {1.0});
  lines[0].curves.pr.assign(3, {0.0, 1.0, 0.5});
  lines[0].curves.dmax = 20.0;
  SeriesOptions options;
  options.outputs.plot = PlotKind::kPr;
  options.outputs.show_d2o = {50};
  const std::string svg = plot_svg(lines, options);
  EXPECT_NE(std::string::npos, svg.find(">50.0 % D2O<")) << svg;
  EXPECT_EQ(std::string::npos, svg.find(">0.0 % D2O<"));
  EXPECT_EQ(std::string::npos, svg.find(">100.0 % D2O<"));
}

// A counting-time plot names each cell of --cells beside its marker, and reads its axis
// in the unit the longest time reads best in: 7200 s (two hours) and more in hours. The
// markers at 0 and 100 % D2O, on the frame, are drawn whole (outside the clipped plot
// area); a match point off the D2O axis is not called dotted.
TEST(TimePlot, CellsAndUnit) {
  std::vector<SeriesLine> lines = {line_at({0, 100}, "A")};
  lines[0].has_match = true;
  lines[0].match_percent = 106.5;
  lines[0].beamtime.points.resize(2);
  for (BeamtimePoint& p : lines[0].beamtime.points) {
    p.signal = true;
    p.time = 7200.0;
    p.cell = 1;
  }
  SeriesOptions options;
  options.outputs.plot = PlotKind::kTime;
  options.conc = 5.0;
  options.cells = {1.0, 2.0};
  const std::string svg = plot_svg(lines, options);
  EXPECT_NE(std::string::npos, svg.find(">\xe2\x97\x8f 1 mm  \xe2\x97\x8b 2 mm<")) << svg;
  EXPECT_NE(std::string::npos, svg.find(">time per sample (h)<"));
  const std::string clipped = "<g clip-path=\"url(#plot-area)\">";
  const size_t area_end = svg.find("</g>", svg.find(clipped));
  size_t whole = 0;
  for (size_t at = svg.find("\" r=\"4\"", area_end); at != std::string::npos;
       at = svg.find("\" r=\"4\"", at + 1)) {
    ++whole;  // a ring, the second cell's marker
  }
  EXPECT_EQ(2u, whole) << svg;
  EXPECT_NE(std::string::npos, svg.find(">match 106.5 % D2O (off the plot)<")) << svg;
}

// A fit plot draws each measured curve with its model as a line and names the
// contrast's chi-square; without a fit, the data alone, said so.
TEST(FitPlot, DataModelAndChiSquare) {
  PlanResult planned;
  MeasuredPoint m{{100.0, "a.dat"}, 1.0, {}, {}};
  m.curve.q = {0.01, 0.02, 0.05};
  m.curve.intensity = {1.0, 0.8, 0.2};
  m.curve.error = {0.1, 0.1, 0.05};
  m.curve.resolution = {0.0, 0.0, 0.0};
  planned.measured.push_back(m);
  SeriesOptions options;
  options.outputs.plot = PlotKind::kFit;
  const std::string bare = fit_plot(planned, options);
  EXPECT_EQ(std::string::npos, bare.find("<polyline"));
  EXPECT_NE(std::string::npos, bare.find(">no fit<"));
  planned.fit.fitted = true;
  planned.fit.shell_density = 7.5;
  planned.fit.contrasts.push_back({100.0, 1.0, false, 1.0, 0.0, 1.234, {0.95, 0.81, 0.21}});
  const std::string svg = fit_plot(planned, options);
  EXPECT_NE(std::string::npos, svg.find("<polyline"));
  EXPECT_NE(std::string::npos, svg.find(">model: reduced chi2 1.23<"));
  EXPECT_NE(std::string::npos, svg.find("(shell 7.5 % denser)"));
  // Under it the residuals' panel, its own clip path, so that each panel's points stay
  // in their own area, and a document twice a chart's height.
  EXPECT_NE(std::string::npos, svg.find(">Residuals: (data - model) / error<"));
  EXPECT_NE(std::string::npos, svg.find("<clipPath id=\"plot-area-2\">"));
  EXPECT_NE(std::string::npos, svg.find("height=\"960\" viewBox=\"0 0 820 960\""));
}

// The measured curves' own plots: each names the figure its title or legend gives from
// the analysis (Rg and its range, the match point, Rm), the predicted match point
// beside the measured one, and draws the line through the points the fit used.
TEST(MeasuredPlots, FiguresOfTheAnalysis) {
  PlanResult planned;
  for (double d2o : {0.0, 100.0}) {
    MeasuredPoint m{{d2o, "a.dat"}, 2.0, {}, {}};
    for (int k = 1; k <= 20; ++k) {
      m.curve.q.push_back(0.005 * k);
      m.curve.intensity.push_back(std::exp(-0.005 * k * 0.005 * k * 400.0 / 3.0));
      m.curve.error.push_back(0.01);
      m.curve.resolution.push_back(0.0);
    }
    m.guinier = {true, 20.0, 0.25, 1.0, 0.01, 0, 9, 0.005, 0.05, 1.0};
    m.contrast_density = d2o == 0.0 ? 0.2 : -0.5;
    planned.measured.push_back(m);
  }
  planned.measured_match = {true, 42.26, 0.31, 2, 0.0, 1.0, 0.7, -1.4};
  planned.measured_stuhrmann = {true, 19.5, 0.2, 3.0, 1.0, 0.5, 0.1, 2, 1.0};
  SeriesOptions options;
  const std::string guinier = guinier_plot(planned, options);
  EXPECT_NE(std::string::npos, guinier.find(">Rg 20.00 \xc2\xb1 0.25 \xc3\x85, q 0.0050\xe2\x80\x93"
                                            "0.0500<"));
  EXPECT_NE(std::string::npos, guinier.find("<polyline"));
  const std::string match = match_plot(planned, options);
  EXPECT_NE(std::string::npos, match.find("(42.3 \xc2\xb1 0.3 % D2O)"));
  EXPECT_NE(std::string::npos, match.find(">weighted line, reduced chi2 1.00<"));
  const std::string stuhrmann = measured_stuhrmann_plot(planned, options);
  EXPECT_NE(std::string::npos, stuhrmann.find("(Rm 19.50 \xc2\xb1 0.20 \xc3\x85)"));
  planned.measured_match.found = false;
  EXPECT_NE(std::string::npos, match_plot(planned, options).find("The match point measured: none"));
}
