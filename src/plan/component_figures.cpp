#include "plan/component_figures.h"

#include "plan/series_lines.h"

RecordFigures record_figures(const Component& c, const SeriesOptions& options,
                             const Solvent& solvent) {
  const SeriesPoint h2o = series_point(c.makeup, solvent, 0.0);
  const SeriesPoint d2o = series_point(c.makeup, solvent, 1.0);
  RecordFigures f{weighed_mass(c.makeup, solvent), h2o.volume, h2o.length_density,
                  d2o.length_density};
  f.has_match = component_match(c, solvent, &f.match);
  f.has_range =
      f.has_match && match_range({{&c.makeup, 1}}, solvent, options.uncertainty, &f.low, &f.high);
  f.low *= 100.0;
  f.high *= 100.0;
  return f;
}

MatchAtFigures match_at_figures(const Component& c, const SeriesOptions& options,
                                const Solvent& solvent) {
  MatchAtFigures f;
  const double x = c.spec.match_at / 100.0;
  f.found = deuteration_for_match(c.makeup, solvent, x, &f.deuteration);
  f.has_range = deuteration_range(c.makeup, solvent, x, options.uncertainty, &f.low, &f.high);
  f.deuteration *= 100.0;
  f.low *= 100.0;
  f.high *= 100.0;
  return f;
}
