// The planner's figures: for each component and the complex, the figures at each D2O
// percentage of the series, the match point, and the radius of gyration where there
// are coordinates.
#ifndef QUORVANE_PLAN_SERIES_LINES_H_
#define QUORVANE_PLAN_SERIES_LINES_H_

#include <string>
#include <vector>

#include "plan/components.h"
#include "scattering/contrast_series.h"
#include "scattering/debye_curves.h"
#include "scattering/simulation.h"

// The predicted curves of a line with coordinates, at every point of the series.
struct LineCurves {
  std::vector<std::vector<double>> intensity;  // [point][q]: I(q), 1/cm
  std::vector<GuinierFit> guinier;             // [point], I(0) in 1/cm
  std::vector<std::vector<double>> pr;         // [point][r]: P(r), 1/cm per angstrom
  double dmax = 0.0;                           // angstrom
  double unit_rg2 = 0.0;   // square angstrom: the extent each unit is spread over
  size_t shell_units = 0;  // hydration-shell cells among the units
};

// Where a line's curve for the counting time comes from.
enum class SignalSource {
  kCurves,    // the predicted curves of its structure
  kEstimate,  // a Guinier curve with the Rg of a compact folded protein of its length
  kSphere,    // a Guinier curve with the Rg of a sphere of its volume
};

// The beamtime figures of a line at one D2O point.
struct BeamtimePoint {
  double background;                  // 1/cm/sr, of the sample
  std::vector<double> transmissions;  // of each cell of options.cells
  size_t cell;                        // the one chosen: the shortest time
  double path;                        // mm, the chosen cell's
  double signal_rate;                 // counts per second over the Guinier range
  bool signal;                        // false: too small to be measured
  double time;  // s, the sample's in every configuration counted; the buffer takes as long
  SolutionFigures sample{0.0, 0.0}, buffer{0.0, 0.0};  // as counted
};

// The beamtime of a line over the series.
struct LineBeamtime {
  SignalSource source = SignalSource::kSphere;
  double rg = 0.0;     // angstrom, which sets the Guinier range
  double q_max = 0.0;  // 1/angstrom: 1.3 / rg, or the curves' last q
  bool range = false;  // q_max lies above options.q_min
  // With named configurations: the centres of the low-q configuration's first and last
  // rings counted for I(0).
  double rings_low = 0.0, rings_high = 0.0;
  std::vector<BeamtimePoint> points;
  double total = 0.0;  // s, sample and buffer at every point with a signal
};

// A measurement simulated in one configuration at one D2O point.
struct SimulatedSegment {
  size_t config;  // in options.configurations
  double time;    // s, the sample's; the buffer takes as long
  std::vector<SimulatedPoint> data;
  std::vector<double> expected;  // the smeared I(q) of the model at the data's q
  std::vector<double> variance;  // of each point's I for one second of counting
};

// The simulated measurement of a line at one D2O point; with --compare, how well the
// second model's curves could be told from it.
struct SimulatedContrast {
  std::vector<SimulatedSegment> segments;  // empty: no signal to time
  bool compared = false;
  double chi2 = 0.0;         // the expected reduced chi-square at the planned times
  double time_to_two = 0.0;  // s (the segments' times scaled alike) for it to reach 2
};

// The simulated measurements of a line over the series.
struct LineSimulation {
  std::vector<size_t> configs;       // the configurations it needs, low q first
  double q_low = 0.0, q_high = 0.0;  // what they are to cover: 1/(3 Rg) to --q-max
  bool covered = true;               // false: a gap, or an end no configuration reaches
  bool guinier_only = false;         // no model: only the Guinier range is simulated
  std::vector<SimulatedContrast> points;
  double total = 0.0;  // s, every segment of every point, sample and buffer
};

// One tabulated or plotted line: a component or the complex, over the series.
struct SeriesLine {
  std::string label;
  bool is_complex = false;
  int component = -1;      // its index in the components; -1 for the complex
  double exchange = -1.0;  // % of its labile H that exchange; -1 for the complex
  int64_t copies = 1;
  int64_t residues = 0;  // of one copy; for the complex, of all its molecules
  std::vector<SeriesPoint> points;
  bool has_match = false;
  double match_percent = 0.0;
  bool has_range = false;                    // the match point's range over the uncertainty box
  double match_low = 0.0, match_high = 0.0;  // percent
  std::vector<Gyration> gyration;            // per point, for what has coordinates; else empty
  std::vector<bool> in_fit;                  // per point: used in the Stuhrmann fit
  StuhrmannFit stuhrmann;                    // of the points in_fit
  std::vector<PlacedUnit> placed;            // the complex's units, when all have coordinates
  std::vector<RigidMotion> symmetry;         // the complex's: an assembly's copies (curves.h)
  double weighed = 0.0;                      // g/mol of one molecule as weighed (before exchange)
  double share = 0.0;         // mg/mL of it in the sample (of --conc, or 1 mg/mL for curves)
  LineCurves curves;          // when the run computes curves and the line has coordinates
  LineBeamtime beamtime;      // with options.beamtime
  LineSimulation simulation;  // with a simulation (wants_simulation)
};

// The lines of every component and, when there is more than one molecule, the
// complex, last, in `solvent`, with each match point's range over options.uncertainty.
// With options.conc, each point's I(0) (and X-ray I(0)): the complex at that
// concentration, each component alone at its share of the mass, masses as weighed.
// Components from structures get their radius of gyration at each point, and so does
// the complex when all of it comes from structures, one copy each.
std::vector<SeriesLine> compute_series(const std::vector<Component>& components,
                                       const SeriesOptions& options, const Solvent& solvent);

// The exchange of the components in percent when all share one (true), so that one
// figure can stand for all of them in titles and headers; false when they differ.
bool uniform_exchange(const std::vector<SeriesLine>& lines, double* percent);

// "100 %" when the components share one exchange, else each component's:
// "lysozyme 100 %, partner 90 %".
std::string exchange_text(const std::vector<SeriesLine>& lines, double run_exchange);

// The match point of one component in percent; false when there is none.
bool component_match(const Component& component, const Solvent& solvent, double* percent);

#endif  // QUORVANE_PLAN_SERIES_LINES_H_
