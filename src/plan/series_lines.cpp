#include "plan/series_lines.h"

#include "scattering/scattering_model.h"
#include "text/text_format.h"

namespace {

// Each line's share of the sample: the complex (or the only component) at the whole
// concentration, each component at the share of the sample's mass its copies hold, the
// masses as weighed (before exchange); and with options.conc, I(0) at each point.
void add_shares(double conc, bool with_i0, std::vector<SeriesLine>* lines) {
  const SeriesLine& whole = lines->back();
  const double total =
      whole.is_complex ? whole.weighed : static_cast<double>(whole.copies) * whole.weighed;
  for (SeriesLine& line : *lines) {
    const double copies = line.is_complex ? 1.0 : static_cast<double>(line.copies);
    line.share = conc * copies * line.weighed / total;
    if (!with_i0) {
      continue;
    }
    for (SeriesPoint& p : line.points) {
      p.forward_scattering = forward_scattering(line.share, p.contrast, line.weighed);
      const double xray_contrast = p.xray_density * p.volume - p.xray_solvent_density * p.volume;
      p.xray_forward_scattering = forward_scattering(line.share, xray_contrast, line.weighed);
    }
  }
}

// The radius of gyration of `placed` at each point of `line`, and its Stuhrmann fit
// over the points the fit may use.
void add_gyration(const std::vector<PlacedUnit>& placed, const Solvent& solvent, SeriesLine* line) {
  std::vector<double> inverse, rg2;
  for (const SeriesPoint& p : line->points) {
    const Gyration g = radius_of_gyration(placed, solvent, p.d2o_fraction);
    const bool used =
        stuhrmann_uses(g, p.d2o_fraction * 100.0, line->has_match, line->match_percent);
    line->gyration.push_back(g);
    line->in_fit.push_back(used);
    if (used) {
      inverse.push_back(1.0 / p.contrast_density);
      rg2.push_back(g.rg2);
    }
  }
  line->stuhrmann = fit_stuhrmann(inverse, rg2);
}

void add_range(const std::vector<std::pair<const Makeup*, int64_t>>& members,
               const Solvent& solvent, const Uncertainty& uncertainty, SeriesLine* line) {
  double low = 0.0, high = 0.0;
  line->has_range = line->has_match && match_range(members, solvent, uncertainty, &low, &high);
  line->match_low = low * 100.0;
  line->match_high = high * 100.0;
}

}  // namespace

bool component_match(const Component& component, const Solvent& solvent, double* percent) {
  double x = 0.0;
  if (!match_point(contrast_model(component.makeup, solvent), solvent, &x)) {
    return false;
  }
  *percent = x * 100.0;
  return true;
}

std::vector<SeriesLine> compute_series(const std::vector<Component>& components,
                                       const SeriesOptions& options, const Solvent& solvent) {
  const std::vector<double> percentages = series_percentages(options);
  std::vector<SeriesLine> lines;
  SeriesLine complex;
  complex.label = "complex";
  complex.is_complex = true;
  complex.copies = 0;
  complex.points.resize(percentages.size());
  ContrastModel complex_model{};
  double complex_weighed = 0.0;
  std::vector<std::pair<const Makeup*, int64_t>> members;
  std::vector<PlacedUnit> complex_placed;
  bool complex_placed_whole = true;
  for (size_t c = 0; c < components.size(); ++c) {
    const Component& component = components[c];
    SeriesLine line;
    line.label = component.spec.label;
    line.component = static_cast<int>(c);
    line.exchange = component.makeup.exchange * 100.0;
    line.copies = component.spec.copies;
    line.residues = component.composition.residues;
    for (size_t i = 0; i < percentages.size(); ++i) {
      line.points.push_back(series_point(component.makeup, solvent, percentages[i] / 100.0));
      add_copies(line.points.back(), line.copies, &complex.points[i]);
    }
    add_model(contrast_model(component.makeup, solvent), line.copies, &complex_model);
    line.has_match = component_match(component, solvent, &line.match_percent);
    add_range({{&component.makeup, 1}}, solvent, options.uncertainty, &line);
    members.emplace_back(&component.makeup, line.copies);
    line.weighed = weighed_mass(component.makeup, solvent);
    complex_weighed += static_cast<double>(line.copies) * line.weighed;
    complex.copies += line.copies;
    complex.residues += line.residues * line.copies;
    if (!component.placed.empty()) {
      add_gyration(component.placed, solvent, &line);
    }
    complex_placed_whole = complex_placed_whole && !component.placed.empty() && line.copies == 1;
    // The complex is an assembly's copies when all of it comes from that one file.
    const bool same_file = c == 0 || component.input == components.front().input;
    complex.symmetry = same_file && (c == 0 || !complex.symmetry.empty())
                           ? component.copies
                           : std::vector<RigidMotion>{};
    complex_placed.insert(complex_placed.end(), component.placed.begin(), component.placed.end());
    lines.push_back(line);
  }
  if (complex.copies > 1) {
    // Each molecule brings its own chain ends' mass; the complex's mass is the sum.
    double x = 0.0;
    complex.has_match = match_point(complex_model, solvent, &x);
    complex.match_percent = x * 100.0;
    add_range(members, solvent, options.uncertainty, &complex);
    if (complex_placed_whole) {
      add_gyration(complex_placed, solvent, &complex);
      complex.placed = std::move(complex_placed);
    }
    complex.weighed = complex_weighed;
    lines.push_back(complex);
  }
  if (!lines.empty()) {
    // Curves without a concentration are given at 1 mg/mL.
    add_shares(options.conc > 0.0 ? options.conc : 1.0, options.conc > 0.0, &lines);
  }
  return lines;
}

bool uniform_exchange(const std::vector<SeriesLine>& lines, double* percent) {
  bool found = false;
  for (const SeriesLine& line : lines) {
    if (line.is_complex || line.exchange < 0.0) {
      continue;
    }
    if (found && line.exchange != *percent) {
      return false;
    }
    *percent = line.exchange;
    found = true;
  }
  return found;
}

std::string exchange_text(const std::vector<SeriesLine>& lines, double run_exchange) {
  double percent = run_exchange;
  if (uniform_exchange(lines, &percent) || lines.empty()) {
    return shortest(percent) + " %";
  }
  std::string text;
  for (const SeriesLine& line : lines) {
    if (!line.is_complex && line.exchange >= 0.0) {
      text += (text.empty() ? "" : ", ") + line.label + " " + shortest(line.exchange) + " %";
    }
  }
  return text;
}
