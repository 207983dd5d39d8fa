#include "series/svg_plot.h"

#include <cmath>
#include <cstdio>

#include "io/replacement_file.h"
#include "scattering/scattering_model.h"

namespace {

// The code point of the well-formed UTF-8 sequence at text[i] and its length, or
// length 0 when there is none: a lead byte out of place, a missing continuation, an
// overlong form, a surrogate or a code point beyond U+10FFFF.
size_t utf8_decode(const std::string& text, size_t i, uint32_t* code_point) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  const size_t length = lead < 0x80                   ? 1
                        : lead >= 0xc2 && lead < 0xe0 ? 2
                        : lead >= 0xe0 && lead < 0xf0 ? 3
                        : lead >= 0xf0 && lead < 0xf5 ? 4
                                                      : 0;
  if (length == 0 || i + length > text.size()) {
    return 0;
  }
  uint32_t value = length == 1 ? lead : lead & (0x7f >> length);
  for (size_t k = i + 1; k < i + length; ++k) {
    if ((byte(k) & 0xc0) != 0x80) {
      return 0;
    }
    value = value << 6 | (byte(k) & 0x3f);
  }
  static const uint32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < SMALLEST[length] || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff)) {
    return 0;
  }
  *code_point = value;
  return length;
}

// Characters XML 1.0 allows in text, less the noncharacters, which no label needs.
bool is_xml_character(uint32_t c) {
  if (c < 0x20) {
    return false;  // tab and line ends too: a label is one line
  }
  if (c >= 0xfdd0 && c <= 0xfdef) {
    return false;
  }
  return (c & 0xfffe) != 0xfffe;
}

std::string fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// SVG coordinates to a tenth of a pixel.
std::string coordinate(double value) {
  return fixed(value, 1);
}

std::string shortest(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

const char* const COLOURS[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                               "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};

// Where the plot sits in the picture and what it spans.
struct Frame {
  double left = 80, top = 40, width = 480, height = 380;  // the plot area, pixels
  double x_min, x_max;                                    // % D2O
  double y_min, y_max, y_step;                            // the plotted figure's unit

  double px(double x) const { return left + (x - x_min) / (x_max - x_min) * width; }
  double py(double y) const { return top + (y_max - y) / (y_max - y_min) * height; }
};

// The figure a plot shows of a point.
double plotted(PlotKind kind, const SeriesPoint& p) {
  switch (kind) {
    case PlotKind::kSld:
      return p.length_density;
    case PlotKind::kForwardScattering:
      return p.forward_scattering;
    case PlotKind::kContrast:
    case PlotKind::kStuhrmann:
      break;
  }
  return p.contrast_density;
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

Frame frame_for(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  Frame f;
  f.x_min = options.from;
  f.x_max = options.to > options.from ? options.to : options.from + 1.0;
  double low = 0.0;  // zero contrast and zero I(0) are always in sight
  double high = 0.0;
  for (const SeriesLine& line : lines) {
    for (const SeriesPoint& p : line.points) {
      const double y = plotted(options.plot, p);
      const double solvent = options.plot == PlotKind::kSld ? p.solvent_density : y;
      if (std::isfinite(y)) {
        low = std::fmin(low, std::fmin(y, solvent));
        high = std::fmax(high, std::fmax(y, solvent));
      }
    }
  }
  const double span = high - low > 1e-12 ? high - low : (high > 0 ? high : 1.0);
  f.y_step = nice_step(span);
  // Whole steps, so the ticks are plain numbers; a step of room where a line ends.
  f.y_min = std::floor(low / f.y_step + 1e-9) * f.y_step;
  f.y_max = std::ceil(high / f.y_step - 1e-9) * f.y_step;
  f.y_max += f.y_max - high < f.y_step / 4 ? f.y_step : 0.0;
  f.y_min -= low - f.y_min < f.y_step / 4 && low < 0.0 ? f.y_step : 0.0;
  return f;
}

std::string line_element(double x1, double y1, double x2, double y2, const std::string& style) {
  return "<line x1=\"" + coordinate(x1) + "\" y1=\"" + coordinate(y1) + "\" x2=\"" +
         coordinate(x2) + "\" y2=\"" + coordinate(y2) + "\" " + style + "/>\n";
}

std::string text_element(double x, double y, const std::string& attributes,
                         const std::string& text) {
  return "<text x=\"" + coordinate(x) + "\" y=\"" + coordinate(y) + "\"" + attributes + ">" + text +
         "</text>\n";
}

// Grid lines and labelled ticks, counted in whole steps so that rounding cannot add or
// drop the last one.
std::string grid(const Frame& f, double x_step) {
  std::string svg;
  const auto x_last = static_cast<int>(std::floor(f.x_max / x_step + 1e-9));
  for (auto i = static_cast<int>(std::ceil(f.x_min / x_step - 1e-9)); i <= x_last; ++i) {
    const double x = f.px(i * x_step);
    svg += line_element(x, f.top, x, f.top + f.height, "stroke=\"#e6e6e6\"");
    svg += text_element(x, f.top + f.height + 18, " text-anchor=\"middle\"", shortest(i * x_step));
  }
  const auto y_last = static_cast<int>(std::floor(f.y_max / f.y_step + 1e-9));
  for (auto i = static_cast<int>(std::ceil(f.y_min / f.y_step - 1e-9)); i <= y_last; ++i) {
    const double y = i * f.y_step;
    svg += line_element(f.left, f.py(y), f.left + f.width, f.py(y), "stroke=\"#e6e6e6\"");
    svg += text_element(f.left - 8, f.py(y) + 4, " text-anchor=\"end\"",
                        shortest(std::fabs(y) < f.y_step * 1e-9 ? 0.0 : y));
  }
  return svg;
}

std::string axes(const Frame& f, const SeriesOptions& options) {
  std::string svg = "<rect x=\"" + coordinate(f.left) + "\" y=\"" + coordinate(f.top) +
                    "\" width=\"" + coordinate(f.width) + "\" height=\"" + coordinate(f.height) +
                    "\" fill=\"none\" stroke=\"#333\"/>\n";
  const double middle = f.left + f.width / 2;
  std::string title = "Contrast against the solvent";
  std::string axis = "Contrast density (fm/\xc3\x85\xc2\xb3)";
  if (options.plot == PlotKind::kSld) {
    title = "Scattering length densities";
    axis = "SLD (fm/\xc3\x85\xc2\xb3)";
  } else if (options.plot == PlotKind::kForwardScattering) {
    title = "Forward scattering at " + shortest(options.conc) + " mg/mL";
    axis = "I(0) (1/cm)";
  } else {
    svg += line_element(f.left, f.py(0), f.left + f.width, f.py(0),
                        "stroke=\"#333\" stroke-dasharray=\"4 3\"");
  }
  svg += text_element(middle, 24, " text-anchor=\"middle\" font-size=\"15\"",
                      title + " (labile H exchange " + shortest(options.exchange) + " %)");
  svg += text_element(middle, 464, " text-anchor=\"middle\"", "D2O in the solvent (%)");
  svg += "<text transform=\"translate(22 " + coordinate(f.top + f.height / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">" + axis + "</text>\n";
  return svg;
}

// The solvent's own line on the SLD plot, which each component's line crosses at its
// match point.
std::string solvent_line(const SeriesLine& line, const Frame& f) {
  std::string path;
  for (const SeriesPoint& p : line.points) {
    path += fixed(f.px(p.d2o_fraction * 100.0), 2) + "," +
            fixed(f.py(static_cast<double>(p.solvent_density)), 2) + " ";
  }
  const double y = f.top + f.height - 12;
  return "<polyline fill=\"none\" stroke=\"#333\" stroke-width=\"1.5\" stroke-dasharray=\"4 3\" "
         "points=\"" +
         path + "\"/>\n" +
         line_element(f.left + f.width + 16, y, f.left + f.width + 40, y,
                      "stroke=\"#333\" stroke-width=\"1.5\" stroke-dasharray=\"4 3\"") +
         text_element(f.left + f.width + 46, y + 4, "", "solvent (H2O/D2O)");
}

// A label cut to what fits the legend, never inside a UTF-8 sequence.
std::string legend_label(const std::string& label) {
  if (label.size() <= 30) {
    return xml_text(label);
  }
  size_t cut = 27;
  while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xc0) == 0x80) {
    --cut;
  }
  return xml_text(label.substr(0, cut)) + "...";
}

// One series: its polyline, its match point where it lies on the plot, its legend.
std::string series_elements(const SeriesLine& line, size_t index, bool is_complex, const Frame& f,
                            PlotKind kind) {
  const std::string colour = COLOURS[index % (sizeof COLOURS / sizeof COLOURS[0])];
  const std::string dash = is_complex ? " stroke-dasharray=\"8 4\"" : "";
  std::string path;
  for (const SeriesPoint& p : line.points) {
    const double y = plotted(kind, p);
    if (std::isfinite(y)) {
      path += fixed(f.px(p.d2o_fraction * 100.0), 2) + "," + fixed(f.py(y), 2) + " ";
    }
  }
  std::string svg = "<polyline fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"2\"" + dash +
                    " points=\"" + path + "\"/>\n";
  std::string match = "no match point";
  if (line.has_match) {
    const double m = line.match_percent;
    match = "match " + fixed(m, 2) + " % D2O";
    // Where the line meets zero contrast, zero I(0), or the solvent's SLD.
    const double at = kind == PlotKind::kSld ? SOLVENT_AT_H2O + SOLVENT_PER_D2O * m / 100.0 : 0.0;
    if (m >= f.x_min && m <= f.x_max) {
      svg += "<circle cx=\"" + fixed(f.px(m), 2) + "\" cy=\"" + fixed(f.py(at), 2) +
             "\" r=\"5\" fill=\"white\" stroke=\"" + colour + "\" stroke-width=\"2\"/>\n";
      svg += text_element(f.px(m), f.py(at) - 10 - 14.0 * static_cast<double>(index),
                          " text-anchor=\"middle\" fill=\"" + colour + "\"", fixed(m, 2) + " %");
    } else {
      match += " (off the plot)";
    }
  }
  const double ly = f.top + 10 + 38.0 * static_cast<double>(index);
  const double lx = f.left + f.width + 16;
  svg += line_element(lx, ly, lx + 24, ly, "stroke=\"" + colour + "\" stroke-width=\"2\"" + dash);
  svg += text_element(lx + 30, ly + 4, "", legend_label(line.label));
  svg += text_element(lx + 30, ly + 19, " font-size=\"11\" fill=\"#555\"", match);
  return svg;
}

}  // namespace

std::string xml_text(const std::string& text) {
  std::string escaped;
  for (size_t i = 0; i < text.size();) {
    uint32_t c = 0;
    const size_t length = utf8_decode(text, i, &c);
    if (length == 0 || !is_xml_character(c)) {
      escaped += '?';
      i += length == 0 ? 1 : length;
      continue;
    }
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped.append(text, i, length);
    }
    i += length;
  }
  return escaped;
}

namespace {

const char SVG_HEAD[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"820\" height=\"480\" "
    "viewBox=\"0 0 820 480\" font-family=\"Helvetica, Arial, sans-serif\" "
    "font-size=\"12\">\n"
    "<rect width=\"820\" height=\"480\" fill=\"white\"/>\n";

// The frame of a Stuhrmann plot: 1/drho across, Rg^2 up, a step of room around.
Frame stuhrmann_frame(const std::vector<SeriesLine>& lines, double* x_step) {
  double x_low = 0, x_high = 0, y_low = 0, y_high = 0;
  bool first = true;
  for (const SeriesLine& line : lines) {
    for (size_t i = 0; i < line.gyration.size(); ++i) {
      if (line.gyration[i].defined) {
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
  Frame f;
  *x_step = nice_step(x_high - x_low > 0 ? x_high - x_low : 1.0);
  f.x_min = std::floor(x_low / *x_step) * *x_step;
  f.x_max = (std::floor(x_high / *x_step) + 1.0) * *x_step;
  f.y_step = nice_step(y_high - y_low > 0 ? y_high - y_low : 1.0);
  f.y_min = (std::floor(y_low / f.y_step) - 1.0) * f.y_step;
  f.y_max = (std::ceil(y_high / f.y_step) + 1.0) * f.y_step;
  return f;
}

// One line's points, its fitted parabola and its legend.
std::string stuhrmann_elements(const SeriesLine& line, size_t index, size_t shown, const Frame& f) {
  const std::string colour = COLOURS[index % (sizeof COLOURS / sizeof COLOURS[0])];
  std::string svg;
  for (size_t i = 0; i < line.gyration.size(); ++i) {
    if (line.gyration[i].defined) {
      svg += "<circle cx=\"" + fixed(f.px(1.0 / line.points[i].contrast_density), 2) + "\" cy=\"" +
             fixed(f.py(line.gyration[i].rg2), 2) + "\" r=\"3\" fill=\"" + colour + "\"/>\n";
    }
  }
  const StuhrmannFit& fit = line.stuhrmann;
  std::string fitted = "too few points for a fit";
  if (fit.fitted) {
    std::string path;
    for (int k = 0; k <= 100; ++k) {
      const double u = f.x_min + (f.x_max - f.x_min) * k / 100.0;
      const double y = fit.rm2 + fit.alpha * u - fit.beta * u * u;
      path +=
          fixed(f.px(u), 2) + "," + fixed(f.py(std::fmax(f.y_min, std::fmin(f.y_max, y))), 2) + " ";
    }
    svg += "<polyline fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.5\" points=\"" +
           path + "\"/>\n";
    fitted = "Rm\xc2\xb2 " + fixed(fit.rm2, 1) + ", \xce\xb1 " + shortest(fit.alpha) +
             ", \xce\xb2 " + shortest(fit.beta);
  }
  const double ly = f.top + 10 + 38.0 * static_cast<double>(shown);
  const double lx = f.left + f.width + 16;
  svg += line_element(lx, ly, lx + 24, ly, "stroke=\"" + colour + "\" stroke-width=\"2\"");
  svg += text_element(lx + 30, ly + 4, "", legend_label(line.label));
  svg += text_element(lx + 30, ly + 19, " font-size=\"11\" fill=\"#555\"", fitted);
  return svg;
}

// Rg^2 against 1/drho for each line with coordinates, with its fitted parabola.
std::string stuhrmann_plot(const std::vector<SeriesLine>& lines) {
  double x_step = 1.0;
  const Frame f = stuhrmann_frame(lines, &x_step);
  std::string svg = std::string(SVG_HEAD) + grid(f, x_step);
  svg += "<rect x=\"" + coordinate(f.left) + "\" y=\"" + coordinate(f.top) + "\" width=\"" +
         coordinate(f.width) + "\" height=\"" + coordinate(f.height) +
         "\" fill=\"none\" stroke=\"#333\"/>\n";
  svg += text_element(f.left + f.width / 2, 24, " text-anchor=\"middle\" font-size=\"15\"",
                      "Stuhrmann plot: Rg\xc2\xb2 = Rm\xc2\xb2 + \xce\xb1/\xce\x94\xcf\x81 - "
                      "\xce\xb2/\xce\x94\xcf\x81\xc2\xb2");
  svg += text_element(f.left + f.width / 2, 464, " text-anchor=\"middle\"",
                      "1/\xce\x94\xcf\x81 (\xc3\x85\xc2\xb3/fm)");
  svg += "<text transform=\"translate(22 " + coordinate(f.top + f.height / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">Rg\xc2\xb2 (\xc3\x85\xc2\xb2)</text>\n";
  size_t shown = 0;
  for (size_t l = 0; l < lines.size(); ++l) {
    if (!lines[l].gyration.empty()) {
      svg += stuhrmann_elements(lines[l], l, shown++, f);
    }
  }
  return svg + "</svg>\n";
}

}  // namespace

std::string svg_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  if (options.plot == PlotKind::kStuhrmann) {
    return stuhrmann_plot(lines);
  }
  const Frame f = frame_for(lines, options);
  std::string svg = SVG_HEAD;
  const double span_x = f.x_max - f.x_min;
  svg += grid(f, span_x > 50 ? 10 : span_x > 10 ? 5 : span_x > 2 ? 1 : 0.1);
  svg += axes(f, options);
  if (options.plot == PlotKind::kSld && !lines.empty()) {
    svg += solvent_line(lines[0], f);
  }
  for (size_t l = 0; l < lines.size(); ++l) {
    const bool is_complex =
        l + 1 == lines.size() && lines.size() > 1 && lines[l].label == "complex";
    svg += series_elements(lines[l], l, is_complex, f, options.plot);
  }
  svg += "</svg>\n";
  return svg;
}

bool write_svg(const std::string& path, const std::string& svg, std::string* error) {
  std::FILE* file = open_replacement(path, "wb");
  if (file == nullptr) {
    *error = path + ": cannot be written; check that its directory exists and is writable";
    return false;
  }
  const bool written = std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
  if (!finish_replacement(file, written, path)) {
    *error = path + ": writing failed (disk full?); nothing was left there";
    return false;
  }
  return true;
}
