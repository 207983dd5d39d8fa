#include "plan/series_lines.h"

#include "scattering/scattering_model.h"

namespace {

// I(0) of each line at each point: the complex (or the only component) at the whole
// concentration, each component at the share of the sample's mass its copies hold.
void add_forward_scattering(double conc, std::vector<SeriesLine>* lines) {
  const SeriesLine& whole = lines->back();
  const bool has_complex = whole.is_complex;
  for (SeriesLine& line : *lines) {
    const double copies = line.is_complex ? 1.0 : static_cast<double>(line.copies);
    for (size_t i = 0; i < line.points.size(); ++i) {
      SeriesPoint& p = line.points[i];
      const double total_mass =
          !line.is_complex && has_complex ? whole.points[i].mass : copies * p.mass;
      const double share = conc * copies * p.mass / total_mass;
      p.forward_scattering = forward_scattering(share, p.contrast, p.mass);
    }
  }
}

// The radius of gyration of `placed` at each point of `line`, and its Stuhrmann fit
// over the points the fit may use.
void add_gyration(const std::vector<PlacedUnit>& placed, double exchange, SeriesLine* line) {
  std::vector<double> inverse, rg2;
  for (const SeriesPoint& p : line->points) {
    const Gyration g = radius_of_gyration(placed, exchange, p.d2o_fraction);
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

}  // namespace

bool component_match(const Component& component, double exchange_percent, double* percent) {
  double x = 0.0;
  if (!match_point(contrast_model(component.makeup, exchange_percent / 100.0), &x)) {
    return false;
  }
  *percent = x * 100.0;
  return true;
}

std::vector<SeriesLine> compute_series(const std::vector<Component>& components,
                                       const SeriesOptions& options) {
  const std::vector<double> percentages = d2o_percentages(options.from, options.to, options.step);
  const double exchange = options.exchange / 100.0;
  std::vector<SeriesLine> lines;
  SeriesLine complex;
  complex.label = "complex";
  complex.is_complex = true;
  complex.copies = 0;
  complex.points.resize(percentages.size());
  ContrastModel complex_model{};
  std::vector<PlacedUnit> complex_placed;
  bool complex_placed_whole = true;
  for (size_t c = 0; c < components.size(); ++c) {
    const Component& component = components[c];
    SeriesLine line;
    line.label = component.spec.label;
    line.component = static_cast<int>(c);
    line.copies = component.spec.copies;
    line.residues = component.composition.residues;
    for (size_t i = 0; i < percentages.size(); ++i) {
      line.points.push_back(
          series_point(component.makeup, exchange, percentages[i] / 100.0, component.water));
      add_copies(line.points.back(), line.copies, &complex.points[i]);
    }
    add_model(contrast_model(component.makeup, exchange), line.copies, &complex_model);
    line.has_match = component_match(component, options.exchange, &line.match_percent);
    complex.copies += line.copies;
    complex.residues += line.residues * line.copies;
    if (!component.placed.empty()) {
      add_gyration(component.placed, exchange, &line);
    }
    complex_placed_whole = complex_placed_whole && !component.placed.empty() && line.copies == 1;
    complex_placed.insert(complex_placed.end(), component.placed.begin(), component.placed.end());
    lines.push_back(line);
  }
  if (complex.copies > 1) {
    // Each molecule brings its own water molecule's mass; the complex's mass is the sum.
    double x = 0.0;
    complex.has_match = match_point(complex_model, &x);
    complex.match_percent = x * 100.0;
    if (complex_placed_whole) {
      add_gyration(complex_placed, exchange, &complex);
    }
    lines.push_back(complex);
  }
  if (options.conc > 0.0) {
    add_forward_scattering(options.conc, &lines);
  }
  return lines;
}
