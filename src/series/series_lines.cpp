#include "series/series_lines.h"

bool component_match(const Component& component, double exchange_percent, double* percent) {
  const ContrastModel model = contrast_model(
      component.composition, component.spec.deuteration / 100.0, exchange_percent / 100.0);
  double x = 0.0;
  if (!match_point(model, &x)) {
    return false;
  }
  *percent = x * 100.0;
  return true;
}

std::vector<SeriesLine> compute_series(const std::vector<Component>& components,
                                       const SeriesOptions& options) {
  const std::vector<double> percentages = d2o_percentages(options);
  const double exchange = options.exchange / 100.0;
  std::vector<SeriesLine> lines;
  SeriesLine complex{"complex", 0, 0, std::vector<SeriesPoint>(percentages.size()), false, 0.0};
  ContrastModel complex_model{};
  for (const Component& component : components) {
    const double deuteration = component.spec.deuteration / 100.0;
    const int64_t copies = component.spec.copies;
    const int64_t residues = component.composition.residues;
    SeriesLine line{component.spec.label, copies, residues, {}, false, 0.0};
    for (size_t i = 0; i < percentages.size(); ++i) {
      line.points.push_back(
          series_point(component.composition, deuteration, exchange, percentages[i] / 100.0));
      add_copies(line.points.back(), copies, &complex.points[i]);
    }
    add_model(contrast_model(component.composition, deuteration, exchange), copies, &complex_model);
    line.has_match = component_match(component, options.exchange, &line.match_percent);
    complex.copies += copies;
    complex.residues += residues * copies;
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
