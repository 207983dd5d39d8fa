// The command line of quorvane-series, the contrast-variation planner.
#ifndef QUORVANE_SERIES_SERIES_OPTIONS_H_
#define QUORVANE_SERIES_SERIES_OPTIONS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "residues/chemistry.h"
#include "residues/sequence_reader.h"

// Residue kinds (GLY, LEU; or nucleotide letters) whose carbon-bound hydrogens are
// deuterated otherwise than the rest of their component.
struct SelectiveDeuteration {
  std::vector<std::string> kinds;
  double percent;
};

struct ComponentSpec {
  std::string path;     // the sequence file; empty for a formula
  std::string formula;  // a formula component (C12H22O11) instead of a file
  std::string label;    // empty: from the file name, its FASTA records or the formula
  ChainKind kind = ChainKind::kProtein;
  bool code_given = false;          // otherwise the code is guessed from the file
  bool structure = false;           // --code structure: an atomic model whatever its name
  std::vector<std::string> chains;  // structure: these chains as one component
  DataCode code = DataCode::kOneLetter;
  double deuteration = 0.0;  // % of the non-exchangeable hydrogens that are deuterium
  std::vector<SelectiveDeuteration> selective;
  int64_t copies = 1;
  double labile = 0.0;     // formula: hydrogens that exchange with the solvent
  double volume = 0.0;     // formula: cubic angstrom per molecule (0: from density)
  double density = 0.0;    // formula: g/cm^3
  double psv = 0.0;        // cm^3/g; 0: the volume is the sum of the units' volumes
  int64_t disulfides = 0;  // protein: each removes two labile thiol hydrogens
  bool match_at_given = false;
  double match_at = 0.0;  // % D2O at which to match the component by deuterating it
};

enum class OutputFormat { kText, kCsv };
enum class PlotKind { kContrast, kSld, kForwardScattering, kStuhrmann };

struct SeriesOptions {
  std::vector<ComponentSpec> components;
  double exchange = 100.0;  // % of the labile hydrogens that exchange with the solvent
  double from = 0.0;        // % D2O
  double to = 100.0;
  double step = 10.0;
  OutputFormat format = OutputFormat::kText;
  std::string svg_path;        // empty: no plot
  bool records = false;        // one line per sequence record instead of a series
  bool allow_unknown = false;  // leave unknown entries out instead of stopping
  bool xray = false;           // add X-ray scattering length densities
  double conc = 0.0;           // mg/mL of the whole sample; above 0: add I(0)
  PlotKind plot = PlotKind::kContrast;
  bool ligands = false;        // structures: add the ligands by their composition
  std::string stuhrmann_path;  // CSV of the Stuhrmann fits; empty: none
};

constexpr int MAX_POINTS = 10001;

enum class ParseResult { kRun, kHelp, kVersion, kUsageError };

// Reads argv[1..argc-1]. Per-component options apply to the next FILE or --formula
// only, and are checked against it (a formula needs a volume; --deuterate names kinds
// of its chain type). On kUsageError, `*error` is one line saying what is wrong.
ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 std::string* error);

// The D2O percentages of the series, from `from` to `to` by `step`; the last one is
// `to` itself whenever the steps reach it within rounding.
std::vector<double> d2o_percentages(const SeriesOptions& options);

extern const char SERIES_USAGE[];

#endif  // QUORVANE_SERIES_SERIES_OPTIONS_H_
