// What a planner run is asked to do: its components, each with the options that
// describe it, and the settings of the whole run. The command line fills it
// (series/series_options.h); everything the planner computes reads it.
#ifndef QUORVANE_PLAN_PLAN_OPTIONS_H_
#define QUORVANE_PLAN_PLAN_OPTIONS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "residues/chemistry.h"
#include "scattering/contrast_series.h"
#include "scattering/resolution.h"
#include "scattering/solvent.h"

// How a component's file is read.
enum class InputKind {
  kGuess,        // by the name (.pdb, .cif...) or the file's first entry
  kThreeLetter,  // GLY ALA LYS
  kOneLetter,    // GAK, FASTA
  kNumber,       // table rows: 0 1 14
  kStructure,    // an atomic model, whatever its name
};

// Residue kinds (GLY, LEU; or nucleotide letters) whose carbon-bound hydrogens are
// deuterated otherwise than the rest of their component.
struct SelectiveDeuteration {
  std::vector<std::string> kinds;
  double percent;
};

struct ComponentSpec {
  std::string path;  // the sequence or structure file; "-" standard input; empty for a formula
  bool from_text = false;  // read from `text`, not a file; `path` then names it in messages
  std::string text;        // the sequence (or with kStructure the model) itself
  std::string formula;     // a molecule by formula (C12H22O11) instead of a file
  double mass_kda = 0.0;   // a protein known by its mass only (kDa), of average composition
  Unit formula_unit{};     // the formula, parsed once when it is given
  std::string label;       // empty: from the file name, its FASTA records or the formula
  ChainKind kind = ChainKind::kProtein;
  bool kind_given = false;  // -t was given, so a protein of only A, C, G, T is meant
  InputKind input = InputKind::kGuess;
  std::vector<std::string> chains;  // structure: these chains as one component
  int64_t assembly = 0;             // structure: the declared assembly to build; 0: as read
  double deuteration = 0.0;         // % of the non-exchangeable hydrogens that are deuterium
  std::vector<SelectiveDeuteration> selective;
  int64_t copies = 1;
  double exchange = -1.0;  // % of its labile hydrogens that exchange; below 0: the run's
  double labile = 0.0;     // formula: hydrogens that exchange with the solvent
  double volume = 0.0;     // formula: cubic angstrom per molecule (0: not given)
  double density = 0.0;    // formula: g/cm^3 (0: not given)
  double psv = 0.0;        // cm^3/g; 0: the volume is the sum of the units' volumes
  int64_t disulfides = 0;  // protein: each removes two labile thiol hydrogens
  bool match_at_given = false;
  double match_at = 0.0;  // % D2O at which to match the component by deuterating it
};

enum class OutputFormat { kText, kCsv };
enum class SolventModel {
  kElements,  // from the element table and the water densities at the temperature
  kConsole,   // the console calculator's solvent line and hydrogen steps
};
enum class SldUnit { kPerSquareAngstrom, kFmPerCubicAngstrom };  // 1e-6 A^-2 or fm/A^3
enum class ProteinVolumes { kTable, kPerkins };
enum class CurveUnits { kResidues, kAtoms };
enum class PlotKind {
  kContrast,
  kSld,
  kForwardScattering,
  kStuhrmann,
  kCurves,
  kPr,
  kTime,
  kSimulated,
  kFit,                // the measured curves and the fitted model (--fit)
  kGuinier,            // each measured curve's Guinier plot, the range fitted marked
  kMatch,              // sqrt(I(0)/c) of the measured curves against D2O, and its line
  kMeasuredStuhrmann,  // the measured Rg^2 against the predicted contrast
};

// The most D2O points a series takes; the help and the message name it from here.
constexpr int MAX_POINTS = 10001;

// A measured curve of the run: a reduced 1D file at a D2O percentage (--measured), and
// the sample's concentration there (--measured-conc, else --conc).
struct MeasuredInput {
  double d2o;  // %
  std::string path;
};

// A ligand's formula given on the command line (--ligand NAME=FORMULA:LABILE).
struct GivenLigand {
  std::string name;
  std::string formula;
  double labile;
  Unit unit;  // the formula parsed, labile hydrogens as deuterium
};

// What a run writes and where: none of it changes a figure. The command line fills it;
// a typed caller (Python, the page) takes the figures themselves and leaves it be.
struct SeriesOutputs {
  OutputFormat format = OutputFormat::kText;
  std::string output_path = "-";  // the report; "-" standard output
  std::string csv_path;           // the series as CSV into this file too; empty: none
  std::string svg_path;           // empty: no plot
  PlotKind plot = PlotKind::kContrast;
  bool plot_given = false;
  bool narrow_plot = false;      // the plot laid out for a small screen (--plot-layout narrow)
  std::vector<double> show_d2o;  // % D2O of the lines a curves, P(r) or simulated plot draws
  std::string show_component;    // the line such a plot draws; empty: the complex
  std::string stuhrmann_path;    // CSV of the Stuhrmann fits; empty: none
  std::string curves_path;       // CSV of I(q) for every line and D2O point; empty: none
  std::string pr_path;           // CSV of P(r); empty: none
  std::string simulate_dir;      // the simulated measurements' files; empty: none
  std::string basis_path;        // CSV of the measured basis curves; empty: none
  bool progress_lines = false;   // progress on standard error even when it is no terminal
  bool quiet = false;            // no progress, even on a terminal
};

// A planner run: its components, the settings of the whole run, what it computes and
// what it writes.
struct SeriesOptions {
  std::vector<ComponentSpec> components;
  double exchange = 100.0;  // % of the labile hydrogens that exchange; each component's default
  SolventModel solvent = SolventModel::kElements;
  double temperature = 20.0;  // C
  double d2o_purity = 100.0;  // % D among the heavy water's hydrogens
  std::vector<BufferSolute> buffer;
  ProteinVolumes volumes = ProteinVolumes::kTable;
  SldUnit sld_unit = SldUnit::kPerSquareAngstrom;
  Uncertainty uncertainty;
  double from = 0.0;  // % D2O
  double to = 100.0;
  double step = 10.0;
  std::vector<double> d2o;  // the series' percentages as listed, ascending; empty: from, to, step
  bool records = false;     // one line per sequence record instead of a series
  bool allow_unknown = false;                // leave unknown entries out instead of stopping
  bool xray = false;                         // add X-ray scattering length densities
  double conc = 0.0;                         // mg/mL of the whole sample; above 0: add I(0)
  bool ligands = false;                      // structures: add the ligands by their composition
  std::vector<GivenLigand> ligand_formulas;  // --ligand: formulas for ligands of the models
  // Predicted curves of the components from structures.
  double q_max = 0.5;  // 1/angstrom
  int q_points = 201;
  bool q_log = false;  // logarithmic steps from q_max / 500, instead of equal ones from 0
  CurveUnits units = CurveUnits::kResidues;
  bool shell = true;
  double shell_density = 10.0;  // % denser than bulk
  int threads = 1;
  // The beamtime estimate: counting times per sample and D2O point.
  bool beamtime = false;
  double flux = 0.0;                       // neutrons per cm^2 per s at the sample; 0: DEFAULT_FLUX
  double aperture = 12.7;                  // mm, sample aperture diameter
  double wavelength = 6.0;                 // angstrom
  double spread = 0.115;                   // wavelength spread (FWHM over the wavelength)
  double efficiency = 0.75;                // of the detector
  std::vector<double> cells = {1.0, 2.0};  // path lengths of the cells at hand, mm
  double q_min = 0.005;                    // 1/angstrom, the smallest q counted
  double target = 2.0;                     // % relative error of I(0) to count to
  double background_h2o = 1.0, background_d2o = 0.05;  // 1/cm/sr, flat
  std::string instrument_path;  // key = value lines of the settings above; empty: none
  // The camera: the --instrument file's [NAME] sections, the names --configs chose, and
  // the configurations the run counts with (those named, or one of the settings above
  // when a simulation needs one); none: the counting range runs from q_min.
  std::vector<Configuration> instrument_configs;
  std::vector<std::string> config_names;
  std::vector<Configuration> configurations;
  // The rings of pixels each of the configurations counts, computed once (set_rings)
  // and handed to every figure that needs them.
  std::vector<ConfigurationBins> rings;
  double target_high = 10.0;  // % relative error of I where it has fallen 100-fold
  // Simulated measurements.
  bool noise = false;  // Poisson counts instead of expected values
  int64_t seed = 1;
  std::string compare_path;             // a second model of the structures, to tell apart by chi^2
  std::vector<std::string> given;       // the long names of the options the command line gave
  std::vector<MeasuredInput> measured;  // in the order given
  std::vector<std::pair<double, double>> measured_conc;  // % D2O and mg/mL
  bool fit_measured = false;  // fit the model's curves to the measured ones (--fit)
  // Hears how far the curves have come, stage by stage ("curves", a fit's passes).
  void (*progress)(const char* stage, double fraction) = nullptr;
  const char* progress_stage = "curves";
  // What the run computes besides the series, whatever it writes: the command line sets
  // these from the outputs it names (computed_from_outputs); a typed caller sets them.
  bool compute_curves = false;      // predicted curves of every line with coordinates
  bool compute_pr = false;          // their P(r), which needs the curves' pair sums
  bool compute_simulation = false;  // simulated measurements (--compare also needs them)
  SeriesOutputs outputs;
};

// The typical flux the beamtime estimate takes when none is given, for a wavelength
// spread of DEFAULT_SPREAD; another spread scales it in proportion.
constexpr double DEFAULT_FLUX = 3.0e5;  // neutrons per cm^2 per s
// A sample's concentration, mg/mL: above MAX_CONC the solute would fill more than a
// third of the sample (at 0.73 cm^3/g), where no dilute-solution figure holds; above
// WARN_CONC the figures are said to neglect interparticle interference.
constexpr double MAX_CONC = 500.0;
constexpr double WARN_CONC = 100.0;
// g/cm^3: the densities of molecules in solution (lipids to salts); outside them a
// volume or density was given in another unit.
constexpr double MIN_DENSITY = 0.5;
constexpr double MAX_DENSITY = 3.0;
constexpr double DEFAULT_SPREAD = 0.115;

// The typical flux at a wavelength spread: DEFAULT_FLUX times spread / DEFAULT_SPREAD.
double typical_flux(double spread);

// The flux at the sample: --flux, or the typical flux at --spread.
double flux_of(const SeriesOptions& options);

// The most q points a curve takes, and the most threads.
constexpr int MAX_Q_POINTS = 10001;
constexpr int MAX_THREADS = 64;

// Whether the run's counting times come from configurations it named (--configs): the
// low-q one's rings for I(0), the others' for the high-q target. Otherwise the times
// are those of an ideal camera counting the Guinier range, whatever else is asked, and
// a simulation without named configurations counts those times on a typical camera.
bool counts_on_configurations(const SeriesOptions& options);

// Computes options->rings from options->configurations, once they are chosen.
void set_rings(SeriesOptions* options);

// Whether the run simulates measurements: asked for, or for a comparison.
bool wants_simulation(const SeriesOptions& options);

// Whether the run computes predicted curves: asked for, or for their P(r).
bool wants_curves(const SeriesOptions& options);

// The computations the outputs need: curves for their file or plot, P(r) likewise,
// simulated measurements for their folder or plot, counting times for their plot.
void compute_for_outputs(SeriesOptions* options);

// The D2O percentages of the series: `from`, then every `step`, and `to` itself last
// even when the steps do not land on it (0, 30, 60, 90, 100). Counted, not summed, so
// that 0.1 steps do not drift; a step that lands on `to` within rounding is `to`.
std::vector<double> d2o_percentages(double from, double to, double step);

// The series' D2O percentages: options.d2o, or d2o_percentages of from, to and step.
std::vector<double> series_percentages(const SeriesOptions& options);

// How many points d2o_percentages gives, without building them; a range that would
// give more than MAX_POINTS returns MAX_POINTS + 1.
int64_t d2o_point_count(double from, double to, double step);

// The solvent the options describe, computed once for every computation of the run.
Solvent solvent_of(const SeriesOptions& options);

// The protein units the options ask for: the console's table with its solvent, else
// compositions with the table's or Perkins' volumes.
UnitSet unit_set_of(const SeriesOptions& options);

// The share of a component's labile hydrogens that exchange (a fraction): its own -x,
// or the run's.
double exchange_of(const ComponentSpec& spec, const SeriesOptions& options);

// Whether a component is read from an atomic model: by --code structure, or by its
// file name when no code was given.
bool is_structure(const ComponentSpec& spec);

#endif  // QUORVANE_PLAN_PLAN_OPTIONS_H_
