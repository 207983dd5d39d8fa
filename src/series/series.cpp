#include "series/series.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "residues/sequence_reader.h"
#include "residues/token_reader.h"
#include "results/replacement_file.h"

namespace {

bool ends_with(const std::string& text, const char* tail) {
  const size_t length = std::strlen(tail);
  return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

// The code of a file given without one: FASTA by extension, otherwise by its first
// entry (a header, a number, a three-letter name, or else letters).
int guess_code(const std::string& path, std::FILE* file) {
  for (const char* extension : {".fasta", ".fa", ".faa", ".FASTA", ".FA", ".FAA"}) {
    if (ends_with(path, extension)) {
      return ONE_LETTER_CODE;
    }
  }
  char token[8];
  size_t length = 0;
  const TokenRead read = read_token(file, token, sizeof token, &length);
  std::rewind(file);
  if (read != TokenRead::kToken) {
    return ONE_LETTER_CODE;
  }
  if (token[0] == '>') {
    return ONE_LETTER_CODE;
  }
  if ((token[0] >= '0' && token[0] <= '9') || token[0] == '-' || token[0] == '+') {
    return NUMBER_CODE;
  }
  if (lookup_three_letter(token, length) != UNKNOWN_RESIDUE ||
      (length == 3 && std::memcmp(token, "NON", 3) == 0)) {
    return THREE_LETTER_CODE;
  }
  return ONE_LETTER_CODE;
}

const char* code_name(int code) {
  switch (code) {
    case THREE_LETTER_CODE:
      return "three-letter";
    case NUMBER_CODE:
      return "number";
    default:
      return "one-letter";
  }
}

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + "\"";
}

// The length of the well-formed UTF-8 sequence at text[i], or 0 when there is none
// (a label may come from a file name in any encoding).
size_t utf8_length(const std::string& text, size_t i) {
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
  for (size_t k = i + 1; k < i + length; ++k) {
    if ((byte(k) & 0xc0) != 0x80) {
      return 0;
    }
  }
  return length;
}

// Text for an SVG element: markup characters escaped, control bytes and bytes that
// are not UTF-8 replaced by '?', so that the file always parses as XML.
std::string xml_text(const std::string& text) {
  std::string escaped;
  for (size_t i = 0; i < text.size();) {
    const size_t length = utf8_length(text, i);
    const char c = text[i];
    if (length > 1) {
      escaped.append(text, i, length);
    } else if (length == 0 || static_cast<unsigned char>(c) < 0x20) {
      escaped += '?';
    } else if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else if (c == '"') {
      escaped += "&quot;";
    } else {
      escaped += c;
    }
    i += length == 0 ? 1 : length;
  }
  return escaped;
}

std::string fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

// SVG coordinates to a tenth of a pixel, percentages to two decimals.
std::string fixed1(double value) {
  return fixed(value, 1);
}

std::string fixed2(double value) {
  return fixed(value, 2);
}

std::string general(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

}  // namespace

bool load_component(const ComponentSpec& spec, LoadedComponent* component, std::string* error) {
  std::FILE* file = std::fopen(spec.path.c_str(), "r");
  if (file == nullptr) {
    *error = spec.path + ": cannot be opened; check the name and the path";
    return false;
  }
  component->spec = spec;
  component->code = spec.code == FASTA_CODE  ? ONE_LETTER_CODE
                    : spec.code == AUTO_CODE ? guess_code(spec.path, file)
                                             : spec.code;
  auto seq = std::make_unique<Sequence>();
  ReadProblem problem{};
  const ReadStatus status = read_sequence(file, component->code, nullptr, seq.get(), &problem);
  std::fclose(file);
  switch (status) {
    case ReadStatus::kOk:
      break;
    case ReadStatus::kNotANumber:
      *error = spec.path + ": entry " + std::to_string(problem.entry) + ", \"" + problem.token +
               (problem.token_cut ? "..." : "") +
               "\", is not a residue number; give the file's code with --code";
      return false;
    case ReadStatus::kTooManyResidues:
      *error = spec.path + ": more than " + std::to_string(MAX_RESIDUES) +
               " residues; split the sequence into smaller components";
      return false;
    case ReadStatus::kReadError:
      *error = spec.path + ": cannot be read (is it a directory?)";
      return false;
  }
  count_residues(*seq, &component->counts);
  if (component->counts.total == 0) {
    *error = spec.path + ": holds no residues in the " + code_name(component->code) +
             " code; check the file or give its code with --code";
    return false;
  }
  return true;
}

std::vector<SeriesLine> compute_series(const std::vector<LoadedComponent>& components,
                                       const SeriesOptions& options) {
  const std::vector<double> percentages = d2o_percentages(options);
  const double exchange = options.exchange / 100.0;
  std::vector<SeriesLine> lines;
  SeriesLine complex{"complex", 0, std::vector<SeriesPoint>(percentages.size()), false, 0.0};
  ContrastModel complex_model{};
  for (const LoadedComponent& component : components) {
    const double deuteration = component.spec.deuteration / 100.0;
    SeriesLine line{component.spec.label, component.spec.copies, {}, false, 0.0};
    for (size_t i = 0; i < percentages.size(); ++i) {
      line.points.push_back(
          series_point(component.counts, deuteration, exchange, percentages[i] / 100.0));
      add_copies(line.points.back(), component.spec.copies, &complex.points[i]);
    }
    const ContrastModel model = contrast_model(component.counts, deuteration, exchange);
    add_model(model, component.spec.copies, &complex_model);
    double x = 0.0;
    line.has_match = match_point(model, &x);
    line.match_percent = x * 100.0;
    complex.copies += component.spec.copies;
    lines.push_back(line);
  }
  if (complex.copies > 1) {
    // Each molecule brings its own water molecule's mass; the complex's mass is the sum.
    double x = 0.0;
    complex.has_match = match_point(complex_model, &x);
    complex.match_percent = x * 100.0;
    lines.push_back(complex);
  }
  return lines;
}

void write_text_report(const std::vector<LoadedComponent>& components,
                       const std::vector<SeriesLine>& lines, const SeriesOptions& options,
                       std::FILE* out) {
  std::fprintf(out, "Labile hydrogens exchanging with the solvent: %g %%\n", options.exchange);
  std::fprintf(out, "SLD: scattering length density, fm/A^3; lengths in fm; Mw in g/mol\n");
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    std::fprintf(out, "\n");
    if (l < components.size()) {
      const LoadedComponent& c = components[l];
      std::fprintf(out, "%s (%s, %s code): %lld residues, deuteration %g %%, %lld %s\n",
                   line.label.c_str(), c.spec.path.c_str(), code_name(c.code),
                   static_cast<long long>(c.counts.total), c.spec.deuteration,
                   static_cast<long long>(line.copies), line.copies == 1 ? "copy" : "copies");
    } else {
      std::fprintf(out, "complex: %lld molecules\n", static_cast<long long>(line.copies));
    }
    std::fprintf(out, "%7s %12s %18s %16s %16s %10s %13s\n", "D2O %", "solvent SLD",
                 "scattering length", "contrast", "Mw", "SLD", "contrast SLD");
    for (const SeriesPoint& p : line.points) {
      std::fprintf(out, "%7.2f %12.6f %18.6f %16.6f %16.6f %10.6f %13.6f\n", p.d2o_fraction * 100.0,
                   static_cast<double>(p.solvent_density), p.scattering_length, p.contrast, p.mass,
                   p.length_density, p.contrast_density);
    }
  }
  std::fprintf(out, "\nMatch points (contrast zero):\n");
  for (const SeriesLine& line : lines) {
    if (!line.has_match) {
      std::fprintf(out, "  %-20s none: the contrast does not change with D2O\n",
                   line.label.c_str());
      continue;
    }
    const bool outside = line.match_percent < 0.0 || line.match_percent > 100.0;
    std::fprintf(out, "  %-20s %7.2f %% D2O%s\n", line.label.c_str(), line.match_percent,
                 outside ? "  (outside 0-100 %: no solvent matches it)" : "");
  }
}

void write_csv_report(const std::vector<LoadedComponent>& components,
                      const std::vector<SeriesLine>& lines, std::FILE* out) {
  std::fprintf(out,
               "component,copies,residues,deuteration_percent,d2o_percent,solvent_sld,"
               "scattering_length,contrast,mw,volume,sld,contrast_density,match_point_percent\n");
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    long long residues = 0;
    double deuteration = 0.0;
    if (l < components.size()) {
      residues = static_cast<long long>(components[l].counts.total);
      deuteration = components[l].spec.deuteration;
    } else {
      for (const LoadedComponent& c : components) {
        residues += static_cast<long long>(c.counts.total * c.spec.copies);
      }
    }
    const std::string match = line.has_match ? fixed2(line.match_percent) : "";
    for (const SeriesPoint& p : line.points) {
      std::fprintf(out, "%s,%lld,%lld,%s,%.6g,%f,%f,%f,%f,%f,%f,%f,%s\n",
                   csv_field(line.label).c_str(), static_cast<long long>(line.copies), residues,
                   l < components.size() ? general(deuteration).c_str() : "",
                   p.d2o_fraction * 100.0, static_cast<double>(p.solvent_density),
                   p.scattering_length, p.contrast, p.mass, p.volume, p.length_density,
                   p.contrast_density, match.c_str());
    }
  }
}

std::string svg_plot(const std::vector<SeriesLine>& lines, const SeriesOptions& options) {
  static const char* const COLOURS[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                                        "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};
  const double width = 820;
  const double height = 480;
  const double left = 80;
  const double right = 260;
  const double top = 40;
  const double bottom = 60;
  const double plot_w = width - left - right;
  const double plot_h = height - top - bottom;
  double x_min = options.from;
  double x_max = options.to > options.from ? options.to : options.from + 1.0;
  double y_min = 0.0;
  double y_max = 0.0;
  for (const SeriesLine& line : lines) {
    for (const SeriesPoint& p : line.points) {
      if (std::isfinite(p.contrast_density)) {
        y_min = std::fmin(y_min, p.contrast_density);
        y_max = std::fmax(y_max, p.contrast_density);
      }
    }
  }
  // Round the y range out to whole tenths so the ticks are plain numbers.
  y_min = std::floor(y_min * 10.0 - 1e-9) / 10.0;
  y_max = std::ceil(y_max * 10.0 + 1e-9) / 10.0;
  if (y_max - y_min < 0.2) {
    y_max += 0.1;
    y_min -= 0.1;
  }
  const auto px = [&](double x) { return left + (x - x_min) / (x_max - x_min) * plot_w; };
  const auto py = [&](double y) { return top + (y_max - y) / (y_max - y_min) * plot_h; };

  std::string svg;
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg +=
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"820\" height=\"480\" "
      "viewBox=\"0 0 820 480\" font-family=\"Helvetica, Arial, sans-serif\" "
      "font-size=\"12\">\n";
  svg += "<rect width=\"820\" height=\"480\" fill=\"white\"/>\n";
  svg += "<text x=\"" + fixed1(left + plot_w / 2) +
         "\" y=\"24\" text-anchor=\"middle\" font-size=\"15\">Contrast against the solvent "
         "(labile H exchange " +
         general(options.exchange) + " %)</text>\n";
  // Grid, ticks and tick labels.
  const double x_step = (x_max - x_min) > 50 ? 10 : (x_max - x_min) > 10 ? 5 : 1;
  // Ticks counted in whole steps, so that rounding cannot add or drop the last one.
  const auto x_last = static_cast<int>(std::floor(x_max / x_step + 1e-9));
  for (auto i = static_cast<int>(std::ceil(x_min / x_step - 1e-9)); i <= x_last; ++i) {
    const double x = i * x_step;
    const std::string sx = fixed1(px(x));
    svg += "<line x1=\"" + sx + "\" y1=\"" + fixed1(top) + "\" x2=\"" + sx + "\" y2=\"" +
           fixed1(top + plot_h) + "\" stroke=\"#e6e6e6\"/>\n";
    svg += "<text x=\"" + sx + "\" y=\"" + fixed1(top + plot_h + 18) +
           "\" text-anchor=\"middle\">" + general(x) + "</text>\n";
  }
  const double y_step = (y_max - y_min) > 2 ? 0.5 : (y_max - y_min) > 0.8 ? 0.2 : 0.1;
  const auto y_last = static_cast<int>(std::floor(y_max / y_step + 1e-9));
  for (auto i = static_cast<int>(std::ceil(y_min / y_step - 1e-9)); i <= y_last; ++i) {
    const double y = i * y_step;
    const std::string sy = fixed1(py(y));
    svg += "<line x1=\"" + fixed1(left) + "\" y1=\"" + sy + "\" x2=\"" + fixed1(left + plot_w) +
           "\" y2=\"" + sy + "\" stroke=\"#e6e6e6\"/>\n";
    svg += "<text x=\"" + fixed1(left - 8) + "\" y=\"" + fixed1(py(y) + 4) +
           "\" text-anchor=\"end\">" + fixed1(std::fabs(y) < 1e-12 ? 0.0 : y) + "</text>\n";
  }
  // Axes and the zero-contrast line.
  svg += "<rect x=\"" + fixed1(left) + "\" y=\"" + fixed1(top) + "\" width=\"" + fixed1(plot_w) +
         "\" height=\"" + fixed1(plot_h) + "\" fill=\"none\" stroke=\"#333\"/>\n";
  svg += "<line x1=\"" + fixed1(left) + "\" y1=\"" + fixed1(py(0)) + "\" x2=\"" +
         fixed1(left + plot_w) + "\" y2=\"" + fixed1(py(0)) +
         "\" stroke=\"#333\" stroke-dasharray=\"4 3\"/>\n";
  svg += "<text x=\"" + fixed1(left + plot_w / 2) + "\" y=\"" + fixed1(height - 16) +
         "\" text-anchor=\"middle\">D2O in the solvent (%)</text>\n";
  svg += "<text transform=\"translate(22 " + fixed1(top + plot_h / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">Contrast density (fm/\xc3\x85\xc2\xb3)</text>\n";
  // One line per series, its match point marked where it lies in the plotted range.
  for (size_t l = 0; l < lines.size(); ++l) {
    const SeriesLine& line = lines[l];
    const std::string colour = COLOURS[l % (sizeof COLOURS / sizeof COLOURS[0])];
    const bool is_complex = l + 1 == lines.size() && line.label == "complex" && lines.size() > 1;
    std::string path;
    for (const SeriesPoint& p : line.points) {
      if (std::isfinite(p.contrast_density)) {
        path += fixed(px(p.d2o_fraction * 100.0), 2) + "," + fixed(py(p.contrast_density), 2) + " ";
      }
    }
    svg += "<polyline fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"2\"" +
           (is_complex ? " stroke-dasharray=\"8 4\"" : "") + " points=\"" + path + "\"/>\n";
    // The legend: the label on one line (cut to what fits), the match point below it.
    std::string label = line.label;
    if (label.size() > 30) {
      size_t cut = 27;
      while (cut > 0 && (static_cast<unsigned char>(label[cut]) & 0xc0) == 0x80) {
        --cut;  // not inside a UTF-8 sequence
      }
      label = label.substr(0, cut) + "...";
    }
    std::string match = "no match point";
    if (line.has_match) {
      const double m = line.match_percent;
      match = "match " + fixed2(m) + " % D2O";
      if (m >= x_min && m <= x_max) {
        svg += "<circle cx=\"" + fixed2(px(m)) + "\" cy=\"" + fixed2(py(0)) +
               "\" r=\"5\" fill=\"white\" stroke=\"" + colour + "\" stroke-width=\"2\"/>\n";
        svg += "<text x=\"" + fixed2(px(m)) + "\" y=\"" +
               fixed2(py(0) - 10 - 14.0 * static_cast<double>(l)) +
               "\" text-anchor=\"middle\" fill=\"" + colour + "\">" + fixed2(m) + " %</text>\n";
      } else {
        match += " (off the plot)";
      }
    }
    const double ly = top + 10 + 38.0 * static_cast<double>(l);
    const double lx = left + plot_w + 16;
    svg += "<line x1=\"" + fixed1(lx) + "\" y1=\"" + fixed1(ly) + "\" x2=\"" + fixed1(lx + 24) +
           "\" y2=\"" + fixed1(ly) + "\" stroke=\"" + colour + "\" stroke-width=\"2\"" +
           (is_complex ? " stroke-dasharray=\"8 4\"" : "") + "/>\n";
    svg += "<text x=\"" + fixed1(lx + 30) + "\" y=\"" + fixed1(ly + 4) + "\">" + xml_text(label) +
           "</text>\n";
    svg += "<text x=\"" + fixed1(lx + 30) + "\" y=\"" + fixed1(ly + 19) +
           "\" font-size=\"11\" fill=\"#555\">" + match + "</text>\n";
  }
  svg += "</svg>\n";
  return svg;
}

bool write_svg(const std::string& path, const std::string& svg, std::string* error) {
  std::FILE* file = std::fopen(replacement_name(path).c_str(), "wb");
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

int run_series(int argc, const char* const* argv, std::FILE* out, std::FILE* err) {
  SeriesOptions options;
  std::string error;
  switch (parse_series_options(argc, argv, &options, &error)) {
    case ParseResult::kHelp:
      std::fputs(SERIES_USAGE, out);
      return 0;
    case ParseResult::kVersion:
      std::fprintf(out, "quorvane-series %s\n", QUORVANE_VERSION);
      return 0;
    case ParseResult::kUsageError:
      std::fprintf(err, "quorvane-series: %s\n", error.c_str());
      return 2;
    case ParseResult::kRun:
      break;
  }
  std::vector<LoadedComponent> components;
  for (const ComponentSpec& spec : options.components) {
    components.emplace_back();
    if (!load_component(spec, &components.back(), &error)) {
      std::fprintf(err, "quorvane-series: %s\n", error.c_str());
      return 1;
    }
  }
  const std::vector<SeriesLine> lines = compute_series(components, options);
  if (!options.svg_path.empty() && !write_svg(options.svg_path, svg_plot(lines, options), &error)) {
    std::fprintf(err, "quorvane-series: %s\n", error.c_str());
    return 1;
  }
  if (options.format == OutputFormat::kCsv) {
    write_csv_report(components, lines, out);
  } else {
    write_text_report(components, lines, options, out);
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fprintf(err, "quorvane-series: writing the output failed\n");
    return 1;
  }
  return 0;
}
