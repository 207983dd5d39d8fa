// The planner's figures: for each component and the complex, the figures at each D2O
// percentage of the series, the match point, and the deuteration asked for by
// --match-at.
#ifndef QUORVANE_SERIES_SERIES_LINES_H_
#define QUORVANE_SERIES_SERIES_LINES_H_

#include <string>
#include <vector>

#include "scattering/contrast_series.h"
#include "series/components.h"

// One tabulated or plotted line: a component or the complex, over the series.
struct SeriesLine {
  std::string label;
  int64_t copies;
  int64_t residues;  // of one copy; for the complex, of all its molecules
  std::vector<SeriesPoint> points;
  bool has_match;
  double match_percent;
  std::vector<Gyration> gyration;  // per point, for what has coordinates; else empty
  StuhrmannFit stuhrmann;          // of the defined points of `gyration`
};

// The lines of every component and, when there is more than one molecule, the
// complex. With options.conc, each point's I(0): the complex at that concentration,
// each component alone at its share of the mass. Components from structures get their
// radius of gyration at each point, and so does the complex when all of it comes from
// structures, one copy each.
std::vector<SeriesLine> compute_series(const std::vector<Component>& components,
                                       const SeriesOptions& options);

// The match point of one component in percent; false when there is none.
bool component_match(const Component& component, double exchange_percent, double* percent);

#endif  // QUORVANE_SERIES_SERIES_LINES_H_
