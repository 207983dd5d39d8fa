#include "chart/svg_chart.h"

#include <cmath>

#include "text/text_format.h"
#include "text/xml_text.h"

namespace {

constexpr double LEGEND_ROW = 38;  // pixels between legend entries

// Where a chart's parts sit. Wide: 820 x 480 pixels, the plot area at the left, the
// legend to its right. Narrow: 360 pixels wide, the legend under the plot.
struct Frame {
  double width, height;
  double left, top, area_width, area_height;
  double legend_x, legend_y;
};

Frame frame_of(const Chart& c) {
  if (!c.narrow) {
    return {820, 480, 80, 40, 480, 380, 80 + 480 + 16, 40 + 10};
  }
  Frame f{360, 0, 58, 56, 287, 260, 16, 0};
  f.legend_y = f.top + f.area_height + 64;
  f.height = f.legend_y + LEGEND_ROW * static_cast<double>(c.legend.size());
  return f;
}

constexpr size_t LEGEND_LABEL = 30;  // bytes of a label that fit beside the plot

const char* const COLOURS[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                               "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};

double scaled(const Axis& axis, double v) {
  return axis.log ? std::log10(v) : v;
}

double px(const Chart& c, double x) {
  const Frame f = frame_of(c);
  return f.left + (scaled(c.x, x) - scaled(c.x, c.x.min)) /
                      (scaled(c.x, c.x.max) - scaled(c.x, c.x.min)) * f.area_width;
}

double py(const Chart& c, double y) {
  const Frame f = frame_of(c);
  return f.top + (scaled(c.y, c.y.max) - scaled(c.y, y)) /
                     (scaled(c.y, c.y.max) - scaled(c.y, c.y.min)) * f.area_height;
}

bool drawable(const Axis& axis, double v) {
  return std::isfinite(v) && (!axis.log || v > 0.0);
}

// A step of 1, 2 or 5 times a power of ten that cuts `span` into about six.
double nice_step(double span) {
  const double rough = span / 6.0;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (factor * power >= rough) {
      return factor * power;
    }
  }
  return 10.0 * power;
}

std::string at(double value) {
  return fixed(value, 1);  // SVG coordinates to a tenth of a pixel
}

std::string line_element(double x1, double y1, double x2, double y2, const std::string& style) {
  return "<line x1=\"" + at(x1) + "\" y1=\"" + at(y1) + "\" x2=\"" + at(x2) + "\" y2=\"" + at(y2) +
         "\" " + style + "/>\n";
}

std::string text_element(double x, double y, const std::string& attributes,
                         const std::string& text) {
  return "<text x=\"" + at(x) + "\" y=\"" + at(y) + "\"" + attributes + ">" + text + "</text>\n";
}

std::string stroke(const LineStyle& style) {
  return "stroke=\"" + style.colour + "\" stroke-width=\"" + shortest(style.width) + "\"" +
         (style.dash.empty() ? "" : " stroke-dasharray=\"" + style.dash + "\"");
}

// The tick values of an axis, counted in whole steps so that rounding cannot add or
// drop the last one.
std::vector<double> ticks(const Axis& axis) {
  std::vector<double> values;
  if (axis.log && axis.fine) {
    const auto first = static_cast<long>(std::floor(std::log10(axis.min) + 1e-9));
    for (long k = first; static_cast<double>(k) <= std::log10(axis.max) + 1e-9; ++k) {
      for (double f : {1.0, 2.0, 5.0}) {
        const double v = f * std::pow(10.0, static_cast<double>(k));
        if (v >= axis.min * (1 - 1e-9) && v <= axis.max * (1 + 1e-9)) {
          values.push_back(v);
        }
      }
    }
    return values;
  }
  const double low = scaled(axis, axis.min), high = scaled(axis, axis.max);
  const auto last = static_cast<long>(std::floor(high / axis.step + 1e-9));
  for (auto i = static_cast<long>(std::ceil(low / axis.step - 1e-9)); i <= last; ++i) {
    const double v = static_cast<double>(i) * axis.step;
    values.push_back(axis.log ? std::pow(10.0, v) : (std::fabs(v) < axis.step * 1e-9 ? 0.0 : v));
  }
  return values;
}

std::string grid(const Chart& c) {
  const Frame f = frame_of(c);
  std::string svg;
  const std::vector<double> xs = ticks(c.x);
  // A narrow chart labels every other line of a crowded axis.
  const size_t every = c.narrow && xs.size() > 6 ? 2 : 1;
  for (size_t i = 0; i < xs.size(); ++i) {
    const double x = xs[i];
    svg += line_element(px(c, x), f.top, px(c, x), f.top + f.area_height, "stroke=\"#e6e6e6\"");
    if (i % every == 0) {
      svg += text_element(px(c, x), f.top + f.area_height + 18, " text-anchor=\"middle\"",
                          shortest(x));
    }
  }
  for (double y : ticks(c.y)) {
    svg += line_element(f.left, py(c, y), f.left + f.area_width, py(c, y), "stroke=\"#e6e6e6\"");
    svg += text_element(f.left - 8, py(c, y) + 4, " text-anchor=\"end\"", shortest(y));
  }
  return svg;
}

std::string legend(const Chart& c) {
  std::string svg;
  const Frame f = frame_of(c);
  const double lx = f.legend_x;
  for (size_t i = 0; i < c.legend.size(); ++i) {
    const LegendEntry& entry = c.legend[i];
    const double ly = f.legend_y + LEGEND_ROW * static_cast<double>(i);
    if (entry.style.points) {
      svg += line_element(lx + 12, ly - 7, lx + 12, ly + 7,
                          "stroke=\"" + entry.style.colour + "\" stroke-width=\"1\"");
      svg += "<circle cx=\"" + at(lx + 12) + "\" cy=\"" + at(ly) + "\" r=\"2.5\" fill=\"" +
             entry.style.colour + "\"/>\n";
    } else {
      svg += line_element(lx, ly, lx + 24, ly, stroke(entry.style));
    }
    svg += text_element(lx + 30, ly + 4, "", xml_text_cut(entry.label, LEGEND_LABEL));
    if (!entry.detail.empty()) {
      svg +=
          text_element(lx + 30, ly + 19, " font-size=\"11\" fill=\"#555\"", xml_text(entry.detail));
    }
  }
  return svg;
}

}  // namespace

Axis linear_axis(double low, double high, bool zero, const std::string& label) {
  if (zero) {
    low = std::fmin(low, 0.0);
    high = std::fmax(high, 0.0);
  }
  if (!(high - low > 1e-12 * std::fmax(std::fabs(low), std::fabs(high)))) {
    const double room = std::fabs(high) > 0.0 ? std::fabs(high) * 0.5 : 1.0;
    low -= room;
    high += room;
  }
  Axis axis{0, 0, nice_step(high - low), false, label};
  axis.min = std::floor(low / axis.step + 1e-9) * axis.step;
  axis.max = std::ceil(high / axis.step - 1e-9) * axis.step;
  // A step of room where a line would run along the frame.
  axis.max += axis.max - high < axis.step / 4 && !(zero && high == 0.0) ? axis.step : 0.0;
  axis.min -= low - axis.min < axis.step / 4 && !(zero && low == 0.0) ? axis.step : 0.0;
  return axis;
}

Axis exact_axis(double low, double high, double step, const std::string& label) {
  return Axis{low, high > low ? high : low + step, step, false, label};
}

Axis log_axis(double low, double high, const std::string& label) {
  Axis axis{std::pow(10.0, std::floor(std::log10(low))),
            std::pow(10.0, std::ceil(std::log10(high))), 1.0, true, label};
  if (axis.max <= axis.min) {
    axis.max = axis.min * 10.0;
  }
  const double decades = std::log10(axis.max / axis.min);
  axis.step = decades > 12 ? std::ceil(decades / 6.0) : 1.0;
  return axis;
}

Axis data_log_axis(double low, double high, const std::string& label) {
  const auto power = [](double v) { return std::pow(10.0, std::floor(std::log10(v) + 1e-9)); };
  const double p_low = power(low), p_high = power(high);
  double min = p_low, max = 10.0 * p_high;
  for (double f : {1.0, 2.0, 5.0}) {
    min = f * p_low <= low * (1 + 1e-9) ? f * p_low : min;
  }
  for (double f : {10.0, 5.0, 2.0, 1.0}) {
    max = f * p_high >= high * (1 - 1e-9) ? f * p_high : max;
  }
  if (max <= min) {
    max = min * 2.0;
  }
  Axis axis{min, max, 1.0, true, label};
  axis.fine = std::log10(max / min) < 3.0;
  if (!axis.fine) {
    axis = log_axis(low, high, label);
  }
  return axis;
}

std::string series_colour(size_t n) {
  return COLOURS[n % (sizeof COLOURS / sizeof COLOURS[0])];
}

void plot_line(Chart* chart, const std::vector<double>& xs, const std::vector<double>& ys,
               const LineStyle& style) {
  std::string points;
  const auto flush = [&]() {
    if (!points.empty()) {
      chart->plotted +=
          "<polyline fill=\"none\" " + stroke(style) + " points=\"" + points + "\"/>\n";
      points.clear();
    }
  };
  for (size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
    if (!drawable(chart->x, xs[i]) || !drawable(chart->y, ys[i])) {
      flush();
      continue;
    }
    points += fixed(px(*chart, xs[i]), 2) + "," + fixed(py(*chart, ys[i]), 2) + " ";
  }
  flush();
}

void plot_points(Chart* chart, const std::vector<double>& xs, const std::vector<double>& ys,
                 const std::string& colour) {
  plot_markers(chart, xs, ys, colour, Marker::kDot);
}

void plot_markers(Chart* chart, const std::vector<double>& xs, const std::vector<double>& ys,
                  const std::string& colour, Marker shape) {
  for (size_t i = 0; i < xs.size() && i < ys.size(); ++i) {
    if (!drawable(chart->x, xs[i]) || !drawable(chart->y, ys[i])) {
      continue;
    }
    const double x = px(*chart, xs[i]), y = py(*chart, ys[i]);
    // A marker of a point within the axes is drawn whole, over the frame at an edge (the
    // first and last D2O points); one outside is clipped away with the lines.
    const Axis &h = chart->x, &v = chart->y;
    std::string* layer = xs[i] >= h.min && xs[i] <= h.max && ys[i] >= v.min && ys[i] <= v.max
                             ? &chart->marks
                             : &chart->plotted;
    switch (shape) {
      case Marker::kDot:
        *layer += "<circle cx=\"" + fixed(x, 2) + "\" cy=\"" + fixed(y, 2) + "\" r=\"3\" fill=\"" +
                  colour + "\"/>\n";
        break;
      case Marker::kRing:
        *layer += "<circle cx=\"" + fixed(x, 2) + "\" cy=\"" + fixed(y, 2) +
                  "\" r=\"4\" fill=\"white\" stroke=\"" + colour + "\" stroke-width=\"1.5\"/>\n";
        break;
      case Marker::kSquare:
        *layer += "<rect x=\"" + fixed(x - 3.5, 2) + "\" y=\"" + fixed(y - 3.5, 2) +
                  "\" width=\"7\" height=\"7\" fill=\"" + colour + "\"/>\n";
        break;
      case Marker::kDatum:  // small enough that a short error bar shows beside it
        *layer += "<circle cx=\"" + fixed(x, 2) + "\" cy=\"" + fixed(y, 2) +
                  "\" r=\"1.8\" fill=\"" + colour + "\"/>\n";
        break;
    }
  }
}

void plot_error_bars(Chart* chart, const std::vector<double>& xs, const std::vector<double>& ys,
                     const std::vector<double>& errors, const std::string& colour) {
  const Axis& y_axis = chart->y;
  for (size_t i = 0; i < xs.size() && i < ys.size() && i < errors.size(); ++i) {
    if (!drawable(chart->x, xs[i]) || !drawable(y_axis, ys[i]) || !std::isfinite(errors[i])) {
      continue;
    }
    const double low = ys[i] - errors[i];
    const double bottom =
        drawable(y_axis, low) ? py(*chart, std::fmax(low, y_axis.min)) : py(*chart, y_axis.min);
    const double top = py(*chart, std::fmin(ys[i] + errors[i], y_axis.max));
    const double x = px(*chart, xs[i]);
    chart->plotted +=
        line_element(x, bottom, x, top, "stroke=\"" + colour + "\" stroke-width=\"1\"");
  }
}

bool mark_point(Chart* chart, double x, double y, const std::string& colour) {
  const Chart& c = *chart;
  if (!drawable(c.x, x) || !drawable(c.y, y) || x < c.x.min || x > c.x.max || y < c.y.min ||
      y > c.y.max) {
    return false;
  }
  chart->marks += "<circle cx=\"" + fixed(px(c, x), 2) + "\" cy=\"" + fixed(py(c, y), 2) +
                  "\" r=\"5\" fill=\"white\" stroke=\"" + colour + "\" stroke-width=\"2\"/>\n";
  return true;
}

void plot_level(Chart* chart, double y) {
  if (drawable(chart->y, y)) {
    const Frame f = frame_of(*chart);
    chart->plotted += line_element(f.left, py(*chart, y), f.left + f.area_width, py(*chart, y),
                                   "stroke=\"#333\" stroke-dasharray=\"4 3\"");
  }
}

namespace {

// The title: on one line, or on a narrow chart broken before its parenthesis.
std::string title(const Chart& c, double middle) {
  const size_t open = c.title.find(" (");
  if (!c.narrow || open == std::string::npos) {
    return text_element(middle, 24, " text-anchor=\"middle\" font-size=\"15\"", xml_text(c.title));
  }
  return text_element(middle, 20, " text-anchor=\"middle\" font-size=\"14\"",
                      xml_text(c.title.substr(0, open))) +
         text_element(middle, 38, " text-anchor=\"middle\"", xml_text(c.title.substr(open + 1)));
}

// A chart's elements, its plot area clipped by the clip path `id` (unique in the document).
std::string chart_elements(const Chart& c, const std::string& id) {
  const Frame f = frame_of(c);
  const double middle = f.left + f.area_width / 2;
  std::string svg = "<rect width=\"" + shortest(f.width) + "\" height=\"" + shortest(f.height) +
                    "\" fill=\"white\"/>\n"
                    "<clipPath id=\"" +
                    id + "\"><rect x=\"" + at(f.left) + "\" y=\"" + at(f.top) + "\" width=\"" +
                    at(f.area_width) + "\" height=\"" + at(f.area_height) + "\"/></clipPath>\n";
  svg += grid(c);
  svg += "<rect x=\"" + at(f.left) + "\" y=\"" + at(f.top) + "\" width=\"" + at(f.area_width) +
         "\" height=\"" + at(f.area_height) + "\" fill=\"none\" stroke=\"#333\"/>\n";
  svg += title(c, middle);
  svg += text_element(middle, f.top + f.area_height + 44, " text-anchor=\"middle\"",
                      xml_text(c.x.label));
  svg += "<text transform=\"translate(" + std::string(c.narrow ? "14 " : "22 ") +
         at(f.top + f.area_height / 2) + ") rotate(-90)\" text-anchor=\"middle\">" +
         xml_text(c.y.label) + "</text>\n";
  svg += "<g clip-path=\"url(#" + id + ")\">\n" + c.plotted + "</g>\n";
  svg += c.marks;
  svg += legend(c);
  return svg;
}

std::string svg_document(double width, double height, const std::string& elements) {
  const std::string w = shortest(width), h = shortest(height);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
         w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
         "\" font-family=\"Helvetica, Arial, sans-serif\" font-size=\"12\">\n" + elements +
         "</svg>\n";
}

}  // namespace

std::string render_chart(const Chart& c) {
  const Frame f = frame_of(c);
  return svg_document(f.width, f.height, chart_elements(c, "plot-area"));
}

std::string render_stacked(const std::vector<Chart>& charts) {
  double width = 0.0, height = 0.0;
  std::string elements;
  for (size_t n = 0; n < charts.size(); ++n) {
    const Frame f = frame_of(charts[n]);
    elements += "<g transform=\"translate(0 " + shortest(height) + ")\">\n" +
                chart_elements(charts[n], "plot-area-" + std::to_string(n + 1)) + "</g>\n";
    width = std::fmax(width, f.width);
    height += f.height;
  }
  return svg_document(width, height, elements);
}
