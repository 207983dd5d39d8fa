#include "plan/component_figures.h"

#include <cstdio>

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

std::vector<std::string> component_notes(const Component& c) {
  const Composition& comp = c.composition;
  const bool protein = comp.kind == ChainKind::kProtein;
  std::vector<std::string> notes;
  char text[256];
  if (comp.ambiguous > 0) {
    std::snprintf(text, sizeof text,
                  "%lld ambiguity codes (%s) counted as the mean of what they stand for",
                  static_cast<long long>(comp.ambiguous), protein ? "B, Z, J" : "R, Y, K, M...");
    notes.emplace_back(text);
  }
  if (comp.any > 0) {
    std::snprintf(text, sizeof text, "%lld %s counted as the mean of the %s",
                  static_cast<long long>(comp.any), protein ? "X" : "N",
                  protein ? "twenty residues" : "four nucleotides");
    notes.emplace_back(text);
  }
  if (comp.selenium > 0.0 && c.placed.empty()) {
    std::snprintf(text, sizeof text, "%g U counted as cysteine with selenium for sulfur",
                  comp.selenium);
    notes.emplace_back(text);
  }
  if (comp.unknown > 0) {
    notes.push_back(std::to_string(comp.unknown) +
                    " entries that name no residue left out, the first \"" + comp.first_unknown +
                    "\"");
  }
  notes.insert(notes.end(), c.notes.begin(), c.notes.end());
  return notes;
}
