// Figures of one component on its own, computed here rather than by the writers that
// show them: a --records line, and the deuteration that matches a component at its
// --match-at D2O percentage.
#ifndef QUORVANE_PLAN_COMPONENT_FIGURES_H_
#define QUORVANE_PLAN_COMPONENT_FIGURES_H_

#include <string>
#include <vector>

#include "plan/components.h"

// A record of a --records screen: its mass as weighed, volume, SLD in H2O and D2O, and
// its match point with the range over options.uncertainty.
struct RecordFigures {
  double mass;                   // g/mol
  double volume;                 // cubic angstrom
  double sld_h2o, sld_d2o;       // fm per cubic angstrom
  bool has_match = false;        // false: no D2O fraction matches it
  double match = 0.0;            // % D2O
  bool has_range = false;        // false: some corner of the uncertainty box has no match
  double low = 0.0, high = 0.0;  // % D2O
};
RecordFigures record_figures(const Component& c, const SeriesOptions& options,
                             const Solvent& solvent);

// The deuteration of the carbon-bound hydrogens (all alike) that matches a component at
// c.spec.match_at % D2O, with its range over options.uncertainty.
struct MatchAtFigures {
  bool found = false;        // false: no carbon-bound H to deuterate
  double deuteration = 0.0;  // %; may lie outside 0 to 100, where no sample matches
  bool has_range = false;
  double low = 0.0, high = 0.0;  // %
};
MatchAtFigures match_at_figures(const Component& c, const SeriesOptions& options,
                                const Solvent& solvent);

// What the report notes of how a component was read: its codes counted as means, its
// selenocysteines, entries left out, then what its reader noted (c.notes), one line each.
std::vector<std::string> component_notes(const Component& c);

#endif  // QUORVANE_PLAN_COMPONENT_FIGURES_H_
