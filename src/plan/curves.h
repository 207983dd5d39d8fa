// Predicted SANS curves of every line with coordinates at every point of a series:
// I(q) on an absolute scale, the Guinier figures and P(r), all from one pass over the
// pairs of each line's scattering units.
#ifndef QUORVANE_PLAN_CURVES_H_
#define QUORVANE_PLAN_CURVES_H_

#include <vector>

#include "plan/components.h"
#include "plan/series_lines.h"
#include "scattering/pair_histograms.h"

// The q grid of options: q_points from 0 to q_max in equal steps, or with q_log in
// equal ratios from q_max / 500.
std::vector<double> q_grid(const SeriesOptions& options);

// The grid the curves are computed on: q_grid, continued past q_max as far as the run's
// configurations count (their last ring plus SMEAR_WIDTH of its resolution widths), so
// that rings and resolution tails beyond --q-max see the curve itself and not its last
// value. The continuation keeps the grid's steps (or ratios) unless that would take
// more than MAX_Q_POINTS points, when it takes that many in wider steps.
struct CurveGrid {
  std::vector<double> q;
  size_t shown;      // the first `shown` points are q_grid's: the curves' files and plots
  bool equal_steps;  // every step alike, for the Debye sums' recurrence
};
CurveGrid curve_grid(const SeriesOptions& options);

// The width of the pair-distance bins for a grid ending at q_top: 0.01 / q_top angstrom
// (0.02 at 0.5/A), for which the binning moves I(q) by less than 1e-5 of itself up to
// q_top.
double bin_width(double q_top);

// The bin width of the P(r) files and plots.
constexpr double PR_STEP = 0.5;  // angstrom

// The scattering units of a line: each placed unit (or, with atoms as units, each of
// its non-hydrogen atoms), and with options.shell the water of its hydration shell
// (last); each unit's excess scattering length as a + c x. When `symmetry` holds the
// motions of an assembly whose copies `placed` are (PlacedUnit::copy, each copy's units
// in copy 0's order and where its motion puts them), the units are copy 0's and their
// images, the shell copy 0's share of it and its images, in the order of Copies, so
// that the pairs are summed as copy 0's with all; otherwise as they come.
struct LineUnits {
  std::vector<ScatteringUnit> units;
  double unit_volume;  // the mean volume of a unit, whose extent the form factor spreads
  size_t shell;        // how many of the units are shell water
  AlikeUnits alike;    // the shell's pieces, alike but for their volume
  Copies copies;       // an assembly's copies, or one
};
LineUnits scattering_units(const std::vector<PlacedUnit>& placed, const SeriesOptions& options,
                           const Solvent& solvent, const std::vector<RigidMotion>& symmetry = {});

// Fills the curves of every line with coordinates (the placed units of its component,
// or line.placed for the complex), over curve_grid(options); the Guinier figures are
// those of the shown part.
void add_curves(const std::vector<Component>& components, const SeriesOptions& options,
                const Solvent& solvent, std::vector<SeriesLine>* lines);

// The curves of `line` at each of its points as quadratics in the hydration shell's
// density t (% denser than the bulk), I = a + b t + c t^2 over curve_grid(options), from
// one pass over the pairs (the shell's lengths all scale with t): what a fit of the
// density searches over without computing a curve.
struct ShellQuadratic {
  std::vector<double> q;
  std::vector<std::vector<double>> a, b, c;  // [point][q]
};
ShellQuadratic shell_quadratic(const std::vector<Component>& components,
                               const SeriesOptions& options, const Solvent& solvent,
                               const SeriesLine& line);

#endif  // QUORVANE_PLAN_CURVES_H_
