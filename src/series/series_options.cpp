#include "series/series_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <type_traits>
#include <vector>

#include "scattering/water.h"
#include "text/decimal.h"

namespace {

bool parse_number(const std::string& text, double* value) {
  return parse_decimal(text, value);
}

// The values an option takes, and how a message names them.
struct Range {
  double low, high;
  bool above_low;  // low itself is refused
  bool whole;
  const char* expected;

  bool contains(double v) const {
    return (above_low ? v > low : v >= low) && v <= high && (!whole || v == std::floor(v));
  }
};

const Range PERCENT{0, 100, false, false, "a percentage from 0 to 100"};
const Range D2O_PERCENT{0, 100, false, false, "a D2O percentage from 0 to 100"};
const Range STEP{0, 100, true, false, "a D2O step above 0 and up to 100"};
const Range CONC{0, MAX_CONC, true, false,
                 "a concentration above 0 and up to 500 mg/mL (mg of solute per mL of sample)"};
const Range VOLUME{1, 1e9, false, false, "a volume from 1 to 1e9 cubic angstrom"};
const Range DENSITY{MIN_DENSITY, MAX_DENSITY, false, false,
                    "a density from 0.5 to 3 g/cm^3 (give g/cm^3, not kg/m^3)"};
const Range COPIES{1, 1e6, false, true, "a whole number of copies from 1 to 1000000"};
const Range COUNT{0, 1e6, false, true, "a whole number from 0 to 1000000"};
const Range PSV{1.0 / MAX_DENSITY, 1.0 / MIN_DENSITY, false, false,
                "a partial specific volume from 0.34 to 2 cm^3/g (give mL/g, not L/g)"};
const Range TEMPERATURE{MIN_TEMPERATURE, MAX_TEMPERATURE, false, false,
                        "a temperature from 1 to 95 C"};
const Range PURITY{0, 100, true, false, "a percentage above 0 and up to 100"};
const Range Q_MAX{0.01, 3, false, false, "a q from 0.01 to 3 1/A"};
const Range Q_POINTS{2, MAX_Q_POINTS, false, true, "a whole number of points from 2 to 10001"};
const Range THREADS{1, MAX_THREADS, false, true, "a whole number of threads from 1 to 64"};
const Range FLUX{1e2, 1e10, false, false, "a flux from 1e2 to 1e10 neutrons per cm^2 per s"};
const Range APERTURE{0.5, 50, false, false, "a diameter from 0.5 to 50 mm"};
const Range WAVELENGTH{2, 12, false, false, "a wavelength from 2 to 12 A"};
const Range SPREAD{0.01, 0.5, false, false, "a wavelength spread from 0.01 to 0.5 (FWHM)"};
const Range EFFICIENCY{0.05, 1, false, false, "an efficiency from 0.05 to 1"};
const Range CELL{0.1, 20, false, false, "path lengths from 0.1 to 20 mm, each once, such as 1,2"};
const Range D2O_LIST{0, 100, false, false,
                     "D2O percentages from 0 to 100, ascending, such as 0,42,100"};
const Range Q_MIN{1e-4, 0.1, false, false, "a q from 0.0001 to 0.1 1/A"};
const Range TARGET{0.1, 50, false, false, "a relative error from 0.1 to 50 %"};
const Range BACKGROUND{0, 10, false, false, "a background from 0 to 10 1/cm"};
const Range UNCERTAINTY_POINTS{0, 50, false, false, "from 0 to 50 points"};
const Range UNCERTAINTY_VOLUME{0, 20, false, false, "from 0 to 20 %"};

// The settings of the beamtime estimate: each turns it on, and an --instrument file
// may give them, by these names without their dashes.
const char* const INSTRUMENT_SETTINGS[] = {
    "--flux",  "--aperture", "--wavelength",     "--spread",         "--efficiency", "--cells",
    "--q-min", "--target",   "--background-h2o", "--background-d2o", "--instrument"};

bool is_instrument_setting(const std::string& name) {
  for (const char* setting : INSTRUMENT_SETTINGS) {
    if (name == setting) {
      return true;
    }
  }
  return false;
}

// A comma-separated list of words, none of them empty.
bool split_list(const std::string& text, std::vector<std::string>* words) {
  for (size_t start = 0; start <= text.size();) {
    const size_t comma = std::min(text.find(',', start), text.size());
    if (comma == start) {
      return false;
    }
    words->push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return true;
}

// Sets the option's field from `value` ("" for a flag). Returns "" when it fits, else
// what the value must be.
using Setter =
    std::function<std::string(const std::string& value, SeriesOptions* run, ComponentSpec* next)>;

struct OptionRow {
  const char* short_name;  // null: none
  const char* long_name;
  const char* value_name;  // null: a flag
  std::string help;        // lines after the first are continued under it
  bool per_component;      // describes the next FILE or --formula
  Setter set;
};

// Each row's field belongs to the run or to the component being described.
template <typename Owner>
Owner* owner(SeriesOptions* run, ComponentSpec* next) {
  if constexpr (std::is_same_v<Owner, ComponentSpec>) {
    return next;
  } else {
    return run;
  }
}

template <typename Owner>
constexpr bool PER_COMPONENT = std::is_same_v<Owner, ComponentSpec>;

template <typename Owner, typename T>
OptionRow set_to(const char* long_name, T Owner::*field, T value, const char* help) {
  return {nullptr,
          long_name,
          nullptr,
          help,
          PER_COMPONENT<Owner>,
          [field, value](const std::string&, SeriesOptions* run, ComponentSpec* next) {
            owner<Owner>(run, next)->*field = value;
            return std::string();
          }};
}

template <typename Owner>
OptionRow flag(const char* long_name, bool Owner::*field, const char* help) {
  return set_to(long_name, field, true, help);
}

// `help` with the values it takes on lines of their own, as the refusal words them.
std::string with_range(const char* help, const std::string& expected) {
  constexpr size_t WIDTH = 60;
  std::string text = help;
  std::string line = "takes";
  size_t start = 0;
  while (start < expected.size()) {
    size_t end = expected.find(' ', start);
    end = end == std::string::npos ? expected.size() : end;
    const std::string word = expected.substr(start, end - start);
    if (line.size() + 1 + word.size() > WIDTH) {
      text += "\n" + line;
      line = word;
    } else {
      line += " " + word;
    }
    start = end + 1;
  }
  return text + "\n" + line;
}

template <typename Owner, typename T>
OptionRow number(const char* short_name, const char* long_name, T Owner::*field, const Range& range,
                 const char* value_name, const char* help) {
  return {short_name,
          long_name,
          value_name,
          with_range(help, range.expected),
          PER_COMPONENT<Owner>,
          [field, range](const std::string& v, SeriesOptions* run, ComponentSpec* next) {
            double x = 0.0;
            if (!parse_number(v, &x) || !range.contains(x)) {
              return std::string(range.expected);
            }
            owner<Owner>(run, next)->*field = static_cast<T>(x);
            return std::string();
          }};
}

template <typename Owner>
OptionRow text(const char* short_name, const char* long_name, std::string Owner::*field,
               const char* value_name, const char* help) {
  return {short_name,
          long_name,
          value_name,
          help,
          PER_COMPONENT<Owner>,
          [field](const std::string& v, SeriesOptions* run, ComponentSpec* next) {
            owner<Owner>(run, next)->*field = v;
            return std::string(v.empty() ? "a name, not empty" : "");
          }};
}

template <typename T>
struct Named {
  const char* name;
  T value;
};

template <typename T, size_t N>
bool find_named(const std::string& text, const Named<T> (&names)[N], T* value) {
  for (const Named<T>& named : names) {
    if (text == named.name) {
      *value = named.value;
      return true;
    }
  }
  return false;
}

const Named<InputKind> INPUT_KINDS[] = {
    {"three", InputKind::kThreeLetter},   {"one", InputKind::kOneLetter},
    {"fasta", InputKind::kOneLetter},     {"number", InputKind::kNumber},
    {"structure", InputKind::kStructure}, {"0", InputKind::kThreeLetter},
    {"1", InputKind::kOneLetter},         {"2", InputKind::kNumber}};
const Named<ChainKind> CHAIN_KINDS[] = {
    {"protein", ChainKind::kProtein}, {"dna", ChainKind::kDna}, {"rna", ChainKind::kRna}};
const Named<SolventModel> SOLVENT_MODELS[] = {{"elements", SolventModel::kElements},
                                              {"console", SolventModel::kConsole}};
const Named<SldUnit> SLD_UNITS[] = {{"1e-6/A2", SldUnit::kPerSquareAngstrom},
                                    {"fm/A3", SldUnit::kFmPerCubicAngstrom}};
const Named<ProteinVolumes> VOLUME_TABLES[] = {{"table", ProteinVolumes::kTable},
                                               {"perkins", ProteinVolumes::kPerkins}};
const Named<PlotKind> PLOT_KINDS[] = {{"contrast", PlotKind::kContrast},
                                      {"sld", PlotKind::kSld},
                                      {"i0", PlotKind::kForwardScattering},
                                      {"stuhrmann", PlotKind::kStuhrmann},
                                      {"curves", PlotKind::kCurves},
                                      {"pr", PlotKind::kPr},
                                      {"time", PlotKind::kTime}};
const Named<CurveUnits> CURVE_UNITS[] = {{"residues", CurveUnits::kResidues},
                                         {"atoms", CurveUnits::kAtoms}};

std::string set_deuterate(const std::string& v, ComponentSpec* next) {
  const size_t equals = v.find('=');
  SelectiveDeuteration selective{{}, 0.0};
  if (equals == std::string::npos || !split_list(v.substr(0, equals), &selective.kinds)) {
    return "KINDS=PCT, such as LEU,ILE=100";
  }
  const std::string percent = v.substr(equals + 1);
  if (!parse_number(percent, &selective.percent) || !PERCENT.contains(selective.percent)) {
    return "KINDS=PCT with PCT " + std::string(PERCENT.expected) + " (" + percent + " is not)";
  }
  next->selective.push_back(selective);
  return "";
}

// NAME=FORMULA or NAME=FORMULA:LABILE, for a ligand of the models.
std::string set_ligand(const std::string& v, SeriesOptions* run) {
  const char* expected = "NAME=FORMULA:LABILE, such as CMP=C10H12N5O6P:3";
  const size_t equals = v.find('=');
  if (equals == std::string::npos || equals == 0 || equals > 5) {
    return expected;
  }
  GivenLigand ligand{v.substr(0, equals), v.substr(equals + 1), 0.0, Unit{}};
  const size_t colon = ligand.formula.find(':');
  if (colon != std::string::npos) {
    if (!parse_number(ligand.formula.substr(colon + 1), &ligand.labile) ||
        !COUNT.contains(ligand.labile)) {
      return std::string(expected) + ", LABILE a whole number";
    }
    ligand.formula.erase(colon);
  }
  std::string problem;
  if (!parse_formula(ligand.formula, ligand.labile, &ligand.unit, &problem)) {
    return std::string(expected) + " (" + problem + ")";
  }
  for (const GivenLigand& earlier : run->ligand_formulas) {
    if (earlier.name == ligand.name) {
      return std::string(expected) + ", each ligand once (" + ligand.name + " is given twice)";
    }
  }
  run->ligand_formulas.push_back(ligand);
  return "";
}

// A comma-separated list of numbers within `range`; with `ascending`, each above the
// one before.
std::string set_list(const std::string& v, const Range& range, bool ascending,
                     std::vector<double>* values) {
  std::vector<std::string> items;
  values->clear();
  double x = 0.0;
  if (!split_list(v, &items)) {
    return range.expected;
  }
  for (const std::string& item : items) {
    if (!parse_number(item, &x) || !range.contains(x) ||
        std::find(values->begin(), values->end(), x) != values->end() ||
        (ascending && !values->empty() && x <= values->back())) {
      return range.expected;
    }
    values->push_back(x);
  }
  return "";
}

// exchange=5,volume=2,deuteration=2, each optional.
std::string set_uncertainty(const std::string& v, SeriesOptions* run) {
  std::vector<std::string> items;
  const char* expected = "NAME=VALUE items, such as exchange=5,volume=2,deuteration=2";
  if (!split_list(v, &items)) {
    return expected;
  }
  for (const std::string& item : items) {
    const size_t equals = item.find('=');
    const std::string name = item.substr(0, std::min(equals, item.size()));
    const bool volume = name == "volume";
    double* field = name == "exchange"      ? &run->uncertainty.exchange
                    : volume                ? &run->uncertainty.volume
                    : name == "deuteration" ? &run->uncertainty.deuteration
                                            : nullptr;
    if (equals == std::string::npos || field == nullptr) {
      return expected;
    }
    const Range& range = volume ? UNCERTAINTY_VOLUME : UNCERTAINTY_POINTS;
    if (!parse_number(item.substr(equals + 1), field) || !range.contains(*field)) {
      return name + " " + range.expected + " in " + expected;
    }
  }
  return "";
}

const std::vector<OptionRow>& option_table() {
  static const std::vector<OptionRow> rows = {
      {"-t", "--type", "TYPE", "protein, dna or rna (default protein)", true,
       [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
         next->kind_given = true;
         return std::string(find_named(v, CHAIN_KINDS, &next->kind) ? "" : "protein, dna or rna");
       }},
      {"-c", "--code", "CODE",
       "three, one, number, fasta or structure (default: .pdb,\n"
       ".ent, .cif, .mmcif (.gz) are structures, else the first\n"
       "entry decides); every FASTA record is a component",
       true,
       [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
         return std::string(find_named(v, INPUT_KINDS, &next->input)
                                ? ""
                                : "a code (three, one, number, fasta or structure)");
       }},
      {nullptr, "--chains", "A,B",
       "structure: these chains as one component (default: each\n"
       "polymer chain of the first model is one)",
       true,
       [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
         next->chains.clear();
         return std::string(split_list(v, &next->chains) ? "" : "chain names such as A,B");
       }},
      number("-d", "--deuteration", &ComponentSpec::deuteration, PERCENT, "PCT",
             "% of the non-exchangeable hydrogens that are deuterium\n(default 0)"),
      {nullptr, "--deuterate", "K,K=PCT",
       "those kinds (LEU,ILE; or nucleotide letters) at PCT %\ninstead; repeatable", true,
       [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
         return set_deuterate(v, next);
       }},
      number(nullptr, "--disulfides", &ComponentSpec::disulfides, COUNT, "N",
             "protein: N disulfide bonds, each without two thiol H"),
      number(nullptr, "--psv", &ComponentSpec::psv, PSV, "V",
             "partial specific volume, cm^3/g: the volume from the mass"),
      {nullptr, "--match-at", "PCT",
       "report the deuteration that matches it at PCT % D2O\ntakes a D2O percentage from 0 to 100",
       true,
       [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
         double x = 0.0;
         if (!parse_number(v, &x) || !D2O_PERCENT.contains(x)) {
           return std::string(D2O_PERCENT.expected);
         }
         next->match_at_given = true;
         next->match_at = x;
         return std::string();
       }},
      number("-n", "--copies", &ComponentSpec::copies, COPIES, "N",
             "copies of the component in the complex (default 1)"),
      text("-l", "--label", &ComponentSpec::label, "NAME",
           "name in the output (default: the file name, record ID or\nformula)"),
      number(nullptr, "--labile", &ComponentSpec::labile, COUNT, "N",
             "formula: how many of its H exchange (default 0)"),
      number(nullptr, "--volume", &ComponentSpec::volume, VOLUME, "A3",
             "formula: its volume in cubic angstrom"),
      number(nullptr, "--density", &ComponentSpec::density, DENSITY, "G/CM3",
             "formula: its density in g/cm^3, for the volume"),
      {nullptr, "--formula", "F",
       "a molecule by formula (C12H22O11; D for deuterium; Mg+2)\n"
       "in place of a FILE, with --volume, --density or --psv",
       true,
       [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
         next->formula = v;
         return std::string(v.empty() ? "a formula such as C12H22O11" : "");
       }},
      {"-x", "--exchange", "PCT",
       "% of the labile hydrogens that exchange (default 100): before\n"
       "the first FILE for every component, later for the next one\n"
       "takes a percentage from 0 to 100",
       true,
       [](const std::string& v, SeriesOptions* run, ComponentSpec* next) {
         double x = 0.0;
         if (!parse_number(v, &x) || !PERCENT.contains(x)) {
           return std::string(PERCENT.expected);
         }
         (run->components.empty() ? run->exchange : next->exchange) = x;
         return std::string();
       }},
      number(nullptr, "--temperature", &SeriesOptions::temperature, TEMPERATURE, "C",
             "the sample's temperature, for the water densities\n(default 20)"),
      number(nullptr, "--d2o-purity", &SeriesOptions::d2o_purity, PURITY, "PCT",
             "% D among the hydrogens of the heavy water (default 100)"),
      {nullptr, "--buffer", "SOLUTE=CONC",
       "a buffer solute (150mM, 1M, 5%w/v, 10%v/v); repeatable; by\n"
       "name, or FORMULA=CONC:VOLUME_A3:LABILE",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         BufferSolute solute;
         std::string problem;
         if (!parse_buffer_solute(v, &solute, &problem)) {
           return "SOLUTE=CONC: " + problem;
         }
         run->buffer.push_back(solute);
         return std::string();
       }},
      {nullptr, "--solvent", "MODEL",
       "elements (default: the element table and water densities)\n"
       "or console (the console calculator's solvent line)",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return std::string(find_named(v, SOLVENT_MODELS, &run->solvent) ? ""
                                                                         : "elements or console");
       }},
      {nullptr, "--volumes", "TABLE",
       "protein residue volumes: table (default, the console\n"
       "calculator's) or perkins (Perkins 1988)",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return std::string(find_named(v, VOLUME_TABLES, &run->volumes) ? "" : "table or perkins");
       }},
      {nullptr, "--sld-unit", "UNIT", "1e-6/A2 (default) or fm/A3, for SLDs in every output", false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return std::string(find_named(v, SLD_UNITS, &run->sld_unit) ? "" : "1e-6/A2 or fm/A3");
       }},
      {nullptr, "--uncertainty", "NAME=V,...",
       "exchange (points), volume (%), deuteration (points) for\n"
       "the match points' ranges (default 5, 2, 2); takes 0 to 50\n"
       "points for exchange and deuteration, 0 to 20 % for volume",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return set_uncertainty(v, run);
       }},
      number(nullptr, "--from", &SeriesOptions::from, D2O_PERCENT, "PCT",
             "first D2O percentage (default 0)"),
      number(nullptr, "--to", &SeriesOptions::to, D2O_PERCENT, "PCT",
             "last D2O percentage (default 100)"),
      number(nullptr, "--step", &SeriesOptions::step, STEP, "PCT", "D2O step (default 10)"),
      {nullptr, "--d2o", "PCT,PCT",
       "the series' D2O percentages as listed, instead of --from,\n--to and --step; takes D2O "
       "percentages from 0 to 100,\n"
       "ascending",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return set_list(v, D2O_LIST, true, &run->d2o);
       }},
      number(nullptr, "--conc", &SeriesOptions::conc, CONC, "MG_PER_ML",
             "sample concentration: adds I(0) in 1/cm"),
      flag("--xray", &SeriesOptions::xray, "adds X-ray scattering length densities"),
      set_to("--csv", &SeriesOptions::format, OutputFormat::kCsv,
             "comma-separated values instead of the text table"),
      text("-o", "--output", &SeriesOptions::output_path, "FILE",
           "the report into FILE (default -, standard output)"),
      text(nullptr, "--csv-file", &SeriesOptions::csv_path, "FILE",
           "the series as CSV into FILE as well, beside the report"),
      text(nullptr, "--svg", &SeriesOptions::svg_path, "FILE",
           "also plot into FILE (- for "
           "standard output)"),
      {nullptr, "--plot", "KIND",
       "contrast (default), sld, i0 (with --conc), stuhrmann,\ncurves or pr (structures), time "
       "(counting times)",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         run->plot_given = true;
         return std::string(find_named(v, PLOT_KINDS, &run->plot)
                                ? ""
                                : "a plot (contrast, sld, i0, stuhrmann, curves, pr or time)");
       }},
      flag("--ligands", &SeriesOptions::ligands,
           "structures: add the ligands, by the formulas of the common\n"
           "ones (HEM, NAD, ATP, GOL...) or as modelled"),
      {nullptr, "--ligand", "NAME=F:N",
       "with --ligands: ligand NAME by formula F with N labile H\n"
       "(CMP=C10H12N5O6P:3); repeatable",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) { return set_ligand(v, run); }},
      text(nullptr, "--stuhrmann", &SeriesOptions::stuhrmann_path, "FILE",
           "structures: write the Stuhrmann fits as CSV into FILE"),
      text(nullptr, "--curves", &SeriesOptions::curves_path, "FILE",
           "structures: the predicted I(q) of every line and D2O point\nas CSV into FILE"),
      text(nullptr, "--pr", &SeriesOptions::pr_path, "FILE",
           "structures: the pair-distance distributions P(r) as CSV"),
      number(nullptr, "--q-max", &SeriesOptions::q_max, Q_MAX, "Q",
             "the curves' largest q, 1/A (default 0.5)"),
      number(nullptr, "--q-points", &SeriesOptions::q_points, Q_POINTS, "N",
             "the curves' points (default 201)"),
      flag("--q-log", &SeriesOptions::q_log,
           "the curves' q in equal ratios from q-max/500 instead of\nequal steps from 0"),
      {nullptr, "--units", "UNITS", "the curves' scattering units: residues (default) or atoms",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return std::string(find_named(v, CURVE_UNITS, &run->units) ? "" : "residues or atoms");
       }},
      number(nullptr, "--shell-density", &SeriesOptions::shell_density, PERCENT, "PCT",
             "how much denser than bulk the hydration shell is (default\n10)"),
      set_to("--no-shell", &SeriesOptions::shell, false, "curves without a hydration shell"),
      number(nullptr, "--threads", &SeriesOptions::threads, THREADS, "N",
             "threads for the curves (default 1; the same figures)"),
      {nullptr, "--show-d2o", "PCT,PCT",
       "the D2O points a curves or pr plot draws (default: five\nspread over the series)", false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return set_list(v, D2O_LIST, true, &run->show_d2o);
       }},
      text(nullptr, "--show-component", &SeriesOptions::show_component, "LABEL",
           "the line a curves or pr plot draws (default the complex)"),
      flag("--beamtime", &SeriesOptions::beamtime,
           "counting times per sample and D2O point, with --conc (any\n"
           "of the settings below turns it on)"),
      number(nullptr, "--flux", &SeriesOptions::flux, FLUX, "N",
             "neutrons per cm^2 per s at the sample (default 3e5 at a\n"
             "spread of 0.115, in proportion to the spread)"),
      number(nullptr, "--aperture", &SeriesOptions::aperture, APERTURE, "MM",
             "sample aperture diameter (default 12.7)"),
      number(nullptr, "--wavelength", &SeriesOptions::wavelength, WAVELENGTH, "A",
             "neutron wavelength (default 6)"),
      number(nullptr, "--spread", &SeriesOptions::spread, SPREAD, "F",
             "wavelength spread, FWHM over the wavelength (default 0.115)"),
      number(nullptr, "--efficiency", &SeriesOptions::efficiency, EFFICIENCY, "F",
             "detector efficiency (default 0.75)"),
      {nullptr, "--cells", "MM,MM",
       "the cells' path lengths (default 1,2)\ntakes path lengths from 0.1 to 20 mm, each once",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return set_list(v, CELL, false, &run->cells);
       }},
      number(nullptr, "--q-min", &SeriesOptions::q_min, Q_MIN, "Q",
             "the smallest q counted, 1/A (default 0.005)"),
      number(nullptr, "--target", &SeriesOptions::target, TARGET, "PCT",
             "relative error of I(0) to count to (default 2)"),
      number(nullptr, "--background-h2o", &SeriesOptions::background_h2o, BACKGROUND, "B",
             "flat background of H2O, 1/cm (default 1.0)"),
      number(nullptr, "--background-d2o", &SeriesOptions::background_d2o, BACKGROUND, "B",
             "flat background of D2O, 1/cm (default 0.05)"),
      text(nullptr, "--instrument", &SeriesOptions::instrument_path, "FILE",
           "the settings above from FILE, one 'name = value' a line\n"
           "(flux = 1e7); the command line's own win"),
      flag("--records", &SeriesOptions::records,
           "one line per sequence record (ID, residues, Mw, volume,\n"
           "SLD in H2O and D2O, match point) instead of a series"),
      flag("--allow-unknown", &SeriesOptions::allow_unknown,
           "leave entries that name no residue out of the sums, with a\n"
           "warning, instead of stopping"),
  };
  return rows;
}

const OptionRow* find_row(const std::string& name) {
  for (const OptionRow& row : option_table()) {
    if (name == row.long_name || (row.short_name != nullptr && name == row.short_name)) {
      return &row;
    }
  }
  return nullptr;
}

// Whether `name` is a kind of unit of the component's chain type: a residue name (any
// case) or a nucleotide letter.
bool is_unit_name(ChainKind kind, const std::string& name) {
  for (int i = 0; i < unit_count(kind); ++i) {
    const char* unit = unit_name(kind, i);
    if (name.size() == std::strlen(unit) && i != UNKNOWN_RESIDUE &&
        std::equal(name.begin(), name.end(), unit, [](char a, char b) {
          return std::toupper(static_cast<unsigned char>(a)) == b;
        })) {
      return true;
    }
  }
  return false;
}

std::string shortest_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

bool same_name(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// The first item of `items` that an earlier one names again ("" when none); residue
// kinds in any case, chain names (which the models tell apart by case) exactly.
std::string repeated(const std::vector<std::string>& items, bool any_case = true) {
  for (size_t i = 0; i < items.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (any_case ? same_name(items[i], items[j]) : items[i] == items[j]) {
        return items[i];
      }
    }
  }
  return "";
}

// What a component is called in a message before it has a label.
std::string component_name(const ComponentSpec& c) {
  return c.formula.empty() ? c.path : "--formula " + c.formula;
}

// A mistake the checks find: the option it concerns (the page places it by this), and
// the one line that says it.
struct Problem {
  std::string setting;
  std::string message;
};

// Checks a component's options against what it is; "" when they fit.
Problem check_component(const ComponentSpec& c) {
  const std::string name = component_name(c);
  const bool formula = !c.formula.empty();
  if (!formula && (c.labile > 0.0 || c.volume > 0.0 || c.density > 0.0)) {
    return {c.labile > 0.0   ? "--labile"
            : c.volume > 0.0 ? "--volume"
                             : "--density",
            "--labile, --volume and --density describe a --formula component, not " + name};
  }
  if (c.volume > 0.0 && c.density > 0.0) {
    return {"--volume", name + ": --volume and --density both give its volume; give one"};
  }
  if (c.psv > 0.0 && (c.volume > 0.0 || c.density > 0.0)) {
    return {"--psv", name + ": --psv and --" + (c.volume > 0.0 ? "volume" : "density") +
                         " both give its volume; give one"};
  }
  if (formula && c.volume <= 0.0 && c.density <= 0.0 && c.psv <= 0.0) {
    return {"--volume", name + " needs its volume: give --volume, --density or --psv"};
  }
  if (!c.chains.empty() && !is_structure(c)) {
    return {
        "--chains",
        "--chains applies to structure files (.pdb, .cif...; or --code structure), not " + name};
  }
  if (c.disulfides > 0 && (c.kind != ChainKind::kProtein || formula)) {
    return {"--disulfides", "--disulfides applies to protein components only, not " + name};
  }
  if (!repeated(c.chains, false).empty()) {
    return {"--chains", "--chains names chain " + repeated(c.chains, false) + " twice for " + name +
                            "; name each chain once"};
  }
  for (size_t i = 0; i < c.selective.size(); ++i) {
    for (size_t j = 0; j <= i; ++j) {
      std::vector<std::string> both = c.selective[j].kinds;
      if (j < i) {
        both.insert(both.end(), c.selective[i].kinds.begin(), c.selective[i].kinds.end());
      }
      const std::string kind = repeated(both);
      if (!kind.empty()) {
        return {"--deuterate", "--deuterate gives " + kind + " of " + name + " twice (" +
                                   shortest_text(c.selective[j].percent) + " and " +
                                   shortest_text(c.selective[i].percent) +
                                   " %); give each kind once"};
      }
    }
  }
  for (const SelectiveDeuteration& s : c.selective) {
    for (const std::string& kind : s.kinds) {
      if (formula || !is_unit_name(c.kind, kind)) {
        return {"--deuterate",
                "--deuterate: '" + kind + "' is no " +
                    (c.kind == ChainKind::kProtein ? "residue name (LEU, GLY...)"
                                                   : "nucleotide letter (A, C, G, T or U)") +
                    " of " + name};
      }
    }
  }
  if (c.path == "-" && c.input == InputKind::kStructure) {
    return {"file", "a structure cannot be read from standard input; name its file"};
  }
  return {};
}

// A formula's --volume implies a density; one outside what molecules have was given in
// another unit (nm^3, cm^3/mol) or belongs to another molecule.
Problem check_implied_density(const ComponentSpec& c) {
  const double weighed = c.formula_unit.mass - c.formula_unit.exchangeable_h * element_steps().mass;
  const double density = weighed / AVOGADRO / (c.volume * 1e-24);
  if (density >= MIN_DENSITY && density <= MAX_DENSITY) {
    return {};
  }
  return {"--volume",
          component_name(c) + ": --volume " + shortest_text(c.volume) + " A^3 makes its density " +
              shortest_text(density) +
              " g/cm^3, outside 0.5-3; give the volume of one molecule in cubic angstrom"};
}

bool any_structure(const SeriesOptions& options) {
  return std::any_of(options.components.begin(), options.components.end(), is_structure);
}

bool given(const SeriesOptions& options, const char* name) {
  return std::find(options.given.begin(), options.given.end(), name) != options.given.end();
}

// The checks that need every option, one concern each; "" when they pass.
Problem check_inputs(const SeriesOptions& options) {
  if (options.components.empty()) {
    return {"file", "no component given; name at least one sequence file (see --help)"};
  }
  const auto stdin_inputs = std::count_if(options.components.begin(), options.components.end(),
                                          [](const ComponentSpec& c) { return c.path == "-"; });
  if (stdin_inputs > 1) {
    return {"file", "standard input (-) can be read only once"};
  }
  return {};
}

Problem check_records(const SeriesOptions& options) {
  if (!options.records) {
    return {};
  }
  if (!options.svg_path.empty() || !options.stuhrmann_path.empty()) {
    return {"--records",
            "--records makes one line per record, no series to plot or fit; leave out --svg "
            "and --stuhrmann"};
  }
  if (options.beamtime) {
    return {"--records",
            "--records makes one line per record, no series to time; leave out --beamtime and "
            "its settings"};
  }
  if (wants_curves(options)) {
    return {"--records",
            "--records makes one line per record, no curves; leave out --curves and --pr"};
  }
  return {};
}

Problem check_plots(const SeriesOptions& options) {
  if (options.plot_given && options.svg_path.empty()) {
    return {"--plot", "--plot chooses what --svg draws: give --svg FILE too"};
  }
  if (options.plot == PlotKind::kForwardScattering && options.conc <= 0.0) {
    return {"--conc", "--plot i0 needs the sample's concentration: give --conc"};
  }
  if ((options.plot == PlotKind::kStuhrmann || !options.stuhrmann_path.empty()) &&
      !any_structure(options)) {
    return {options.plot == PlotKind::kStuhrmann ? "--plot" : "--stuhrmann",
            std::string(options.plot == PlotKind::kStuhrmann ? "--plot stuhrmann" : "--stuhrmann") +
                " needs a component read from a structure (.pdb, .cif...; or --code structure)"};
  }
  if (wants_curves(options) && !any_structure(options)) {
    return {"--curves",
            "predicted curves (--curves, --pr, --plot curves or pr) need a component read from "
            "a structure (.pdb, .cif...; or --code structure)"};
  }
  return {};
}

Problem check_solvent(const SeriesOptions& options) {
  double buffer_volume = 0.0;
  for (const BufferSolute& solute : options.buffer) {
    buffer_volume += solute.molar * AVOGADRO * 1e-27 * solute.volume;
  }
  if (buffer_volume > 0.9) {
    return {"--buffer",
            "the buffer's solutes would take " +
                std::to_string(static_cast<int>(buffer_volume * 100)) +
                " % of the volume; give concentrations that leave water to dissolve them"};
  }
  if (options.solvent == SolventModel::kConsole &&
      (options.temperature != 20.0 || options.d2o_purity != 100.0 || !options.buffer.empty())) {
    return {"--solvent",
            "--solvent console is the console calculator's fixed solvent: it takes no "
            "--temperature, --d2o-purity or --buffer"};
  }
  return {};
}

Problem check_beamtime(const SeriesOptions& options) {
  if (options.beamtime && options.conc <= 0.0) {
    return {"--conc",
            "counting times (--beamtime, --flux, --plot time...) need the sample's "
            "concentration: give --conc MG_PER_ML"};
  }
  return {};
}

Problem check_series(const SeriesOptions& options) {
  if (!options.d2o.empty() &&
      (given(options, "--from") || given(options, "--to") || given(options, "--step"))) {
    return {"--d2o", "--d2o lists the series' points; leave out --from, --to and --step"};
  }
  if (options.from > options.to) {
    return {"--from", "the D2O range runs backwards: --from must not exceed --to"};
  }
  if (d2o_point_count(options.from, options.to, options.step) > MAX_POINTS) {
    return {"--step", "the D2O range has more than " + std::to_string(MAX_POINTS) +
                          " points; use a larger --step"};
  }
  const std::vector<double> points = series_percentages(options);
  for (double shown : options.show_d2o) {
    if (std::none_of(points.begin(), points.end(),
                     [&](double point) { return std::fabs(point - shown) < 1e-6; })) {
      return {"--show-d2o", "--show-d2o " + shortest_text(shown) +
                                " is no point of the series; choose among --from, --to and --step"};
    }
  }
  return {};
}

// Settings that would change nothing in this run: the user meant something else.
Problem check_useless(const SeriesOptions& options) {
  const bool curves = wants_curves(options) || (options.beamtime && any_structure(options));
  if (given(options, "--shell-density") && !options.shell) {
    return {"--shell-density",
            "--shell-density sets the hydration shell that --no-shell leaves out; give one of "
            "them"};
  }
  for (const char* name : {"--q-log", "--q-points", "--q-max", "--units", "--no-shell",
                           "--shell-density", "--threads"}) {
    if (given(options, name) && !curves) {
      return {name,
              std::string(name) +
                  " sets the predicted curves, which this run does not compute; add --curves, "
                  "--pr or --plot curves, or leave it out"};
    }
  }
  const bool chooses = options.plot == PlotKind::kCurves || options.plot == PlotKind::kPr;
  for (const char* name : {"--show-component", "--show-d2o"}) {
    if (given(options, name) && !chooses) {
      return {name, std::string(name) +
                        " chooses what a curves or pr plot draws; this run draws none (give --plot "
                        "curves or pr with --svg), so leave it out"};
    }
  }
  if (!options.ligand_formulas.empty() && !options.ligands) {
    return {"--ligand",
            "--ligand gives a ligand's formula for --ligands, which adds the ligands; add "
            "--ligands or leave --ligand out"};
  }
  if (options.records) {
    for (const char* name : {"--conc", "--d2o", "--from", "--to", "--step", "--xray"}) {
      if (given(options, name)) {
        return {name, "--records makes one line per record at 0 and 100 % D2O; leave out " +
                          std::string(name)};
      }
    }
  }
  return {};
}

Problem check_buffer_once(const SeriesOptions& options) {
  for (size_t i = 0; i < options.buffer.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (same_name(options.buffer[i].name, options.buffer[j].name)) {
        return {"--buffer", "--buffer gives " + options.buffer[i].name + " twice (" +
                                options.buffer[j].concentration + " and " +
                                options.buffer[i].concentration +
                                "); give each solute once, at its whole concentration"};
      }
    }
  }
  return {};
}

// In this order, so that the first of several mistakes is the one named.
Problem (*const WHOLE_CHECKS[])(const SeriesOptions&) = {
    check_inputs,   check_records, check_plots,       check_solvent,
    check_beamtime, check_series,  check_buffer_once, check_useless};

Problem check_whole(const SeriesOptions& options) {
  for (const auto check : WHOLE_CHECKS) {
    Problem problem = check(options);
    if (!problem.message.empty()) {
      return problem;
    }
  }
  return {};
}

// The parser's state between arguments.
struct Parse {
  SeriesOptions* options;
  ComponentSpec next;
  std::string pending;  // the first component option still waiting for its FILE
  PlanError* error;
  // The values given so far, by long name: of the run, and of the component being
  // described, so that a second value cannot silently replace the first.
  std::vector<std::pair<std::string, std::string>> run_values, component_values;

  ParseResult fail(bool of_component, const std::string& setting, const std::string& message) {
    *error = plan_error(of_component ? static_cast<int>(options->components.size()) : -1, setting,
                        message);
    return ParseResult::kUsageError;
  }

  // Ends the component the options so far describe.
  bool finish() {
    std::string problem;
    if (!next.formula.empty() &&
        !parse_formula(next.formula, next.labile, &next.formula_unit, &problem)) {
      // Too many labile hydrogens is a mistake in --labile, not in the formula.
      fail(true, problem.rfind("more labile", 0) == 0 ? "--labile" : "--formula",
           "--formula " + next.formula + ": " + problem);
      error->value = next.formula;
      return false;
    }
    Problem found = check_component(next);
    if (found.message.empty() && next.volume > 0.0) {
      found = check_implied_density(next);
    }
    if (!found.message.empty()) {
      fail(true, found.setting, found.message);
      return false;
    }
    options->components.push_back(next);
    next = ComponentSpec();
    pending.clear();
    component_values.clear();
    return true;
  }
};

// Options that may be given again to add to what they set.
bool is_repeatable(const std::string& name) {
  return name == "--deuterate" || name == "--buffer" || name == "--ligand";
}

bool is_output(const std::string& name) {
  return name == "--output" || name == "--csv-file" || name == "--svg" || name == "--stuhrmann" ||
         name == "--curves" || name == "--pr";
}

// Refuses an option given a second time with another value (an output given twice at
// all): the run would use one and ignore the other without a word.
bool given_once(const OptionRow& row, const std::string& name, const std::string& value,
                Parse* parse) {
  if (row.value_name == nullptr || is_repeatable(row.long_name)) {
    return true;
  }
  auto& values = row.per_component ? parse->component_values : parse->run_values;
  const auto earlier = std::find_if(values.begin(), values.end(),
                                    [&](const auto& v) { return v.first == row.long_name; });
  if (earlier == values.end()) {
    values.emplace_back(row.long_name, value);
    return true;
  }
  if (earlier->second == value && !is_output(row.long_name)) {
    return true;
  }
  parse->fail(row.per_component, row.long_name,
              "option '" + name + "' is given twice ('" + earlier->second + "' and '" + value +
                  "')" + (row.per_component ? " for one component" : "") + "; give it once");
  parse->error->value = value;
  return false;
}

// Reads the option at argv[*i] and its value (inline after '=' or the next argument).
ParseResult read_option(int argc, const char* const* argv, int* i, Parse* parse) {
  std::string name = argv[*i];
  std::string value;
  const size_t equals = name.find('=');
  const bool inline_value = name.compare(0, 2, "--") == 0 && equals != std::string::npos;
  if (inline_value) {
    value = name.substr(equals + 1);
    name.erase(equals);
  }
  const OptionRow* row = find_row(name);
  if (row == nullptr) {
    return parse->fail(false, name, "unknown option '" + name + "'; see --help");
  }
  if (row->value_name != nullptr && !inline_value) {
    if (*i + 1 >= argc) {
      return parse->fail(row->per_component, row->long_name,
                         "option '" + name + "' needs a value; see --help");
    }
    value = argv[++*i];
  }
  if (!given_once(*row, name, value, parse)) {
    return ParseResult::kUsageError;
  }
  const std::string expected = row->set(value, parse->options, &parse->next);
  if (!expected.empty()) {
    parse->fail(row->per_component, row->long_name,
                "option '" + name + "': '" + value + "' is not " + expected);
    parse->error->value = value;
    parse->error->expected = expected;
    // A list's error names the item that is wrong, so that it can be shown where that
    // item was typed.
    std::vector<std::string> items;
    if (std::strcmp(row->long_name, "--uncertainty") == 0 && split_list(value, &items)) {
      for (const std::string& item : items) {
        SeriesOptions scratch;
        if (!set_uncertainty(item, &scratch).empty()) {
          parse->error->value = item;
          break;
        }
      }
    }
    return ParseResult::kUsageError;
  }
  if (is_instrument_setting(row->long_name)) {
    parse->options->beamtime = true;
  }
  parse->options->given.emplace_back(row->long_name);
  if (row->per_component && parse->pending.empty()) {
    parse->pending = name;
  }
  // A formula takes the place of a file: it ends its component.
  if (std::strcmp(row->long_name, "--formula") == 0 && !parse->finish()) {
    return ParseResult::kUsageError;
  }
  return ParseResult::kRun;
}

void append_help(const OptionRow& row, std::string* text) {
  std::string head = "  ";
  head += row.short_name != nullptr ? std::string(row.short_name) + ", " : "    ";
  head += row.long_name;
  if (row.value_name != nullptr) {
    head += std::string(" ") + row.value_name;
  }
  // A head that reaches the descriptions' column gets a line of its own, so that every
  // description starts in that column.
  const std::string indent(26, ' ');
  head +=
      head.size() < indent.size() ? std::string(indent.size() - head.size(), ' ') : "\n" + indent;
  std::string help = row.help;
  for (size_t line = help.find('\n'); line != std::string::npos; line = help.find('\n', line + 1)) {
    help.insert(line + 1, indent);
  }
  *text += head + help + "\n";
}

}  // namespace

ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 PlanError* error) {
  Parse parse{options, ComponentSpec(), "", error, {}, {}};
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (only_files || arg.empty() || arg[0] != '-' || arg == "-") {
      parse.next.path = arg;
      if (!parse.finish()) {
        return ParseResult::kUsageError;
      }
    } else if (arg == "--") {
      only_files = true;
    } else if (arg == "-h" || arg == "--help") {
      return ParseResult::kHelp;
    } else if (arg == "--version") {
      return ParseResult::kVersion;
    } else if (read_option(argc, argv, &i, &parse) != ParseResult::kRun) {
      return ParseResult::kUsageError;
    }
  }
  if (!parse.pending.empty()) {
    return parse.fail(false, parse.pending,
                      "component options come before the FILE or --formula they describe: '" +
                          parse.pending + "' follows the last one");
  }
  if (options->plot == PlotKind::kTime) {
    options->beamtime = true;
  }
  if (!options->d2o.empty()) {  // the plots' D2O axis spans the list
    options->from = options->d2o.front();
    options->to = options->d2o.back();
  }
  const Problem problem = check_whole(*options);
  if (!problem.message.empty()) {
    return parse.fail(false, problem.setting, problem.message);
  }
  return ParseResult::kRun;
}

bool apply_instrument(const std::string& text, SeriesOptions* options, PlanError* error) {
  const std::string& path = options->instrument_path;
  size_t number = 0;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    line = line.substr(0, line.find('#'));
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    line.erase(line.begin(), std::find_if_not(line.begin(), line.end(), blank));
    line.erase(std::find_if_not(line.rbegin(), line.rend(), blank).base(), line.end());
    if (line.empty()) {
      continue;
    }
    const std::string where = path + " line " + std::to_string(number) + ": ";
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      *error = plan_error(-1, "--instrument", where + "'" + line + "' is not 'name = value'");
      return false;
    }
    std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    key.erase(std::find_if_not(key.rbegin(), key.rend(), blank).base(), key.end());
    value.erase(value.begin(), std::find_if_not(value.begin(), value.end(), blank));
    // A file may space a list as people write it (1, 2); the command line may not.
    for (size_t comma = value.find(','); comma != std::string::npos;
         comma = value.find(',', comma + 1)) {
      while (comma > 0 && blank(value[comma - 1])) {
        value.erase(--comma, 1);
      }
      while (comma + 1 < value.size() && blank(value[comma + 1])) {
        value.erase(comma + 1, 1);
      }
    }
    const std::string name = "--" + key;
    if (!is_instrument_setting(name) || name == "--instrument") {
      std::string keys;
      for (const char* setting : INSTRUMENT_SETTINGS) {
        keys += std::strcmp(setting, "--instrument") == 0
                    ? ""
                    : (keys.empty() ? "" : ", ") + std::string(setting + 2);
      }
      *error = plan_error(-1, "--instrument",
                          where + "unknown setting '" + key + "'; the settings are " + keys);
      return false;
    }
    const auto& given = options->given;
    if (std::find(given.begin(), given.end(), name) != given.end()) {
      continue;  // the command line's own value stands
    }
    const std::string expected = find_row(name)->set(value, options, nullptr);
    if (!expected.empty()) {
      *error =
          plan_error(-1, "--instrument", where + key + " = '" + value + "' is not " + expected);
      error->value = value;
      error->expected = expected;
      return false;
    }
  }
  return true;
}

std::string series_usage() {
  std::string text =
      "Usage: quorvane-series [OPTIONS] [COMPONENT-OPTIONS] FILE|--formula F ...\n"
      "Contrast variation of proteins, nucleic acids and their complexes over the D2O\n"
      "content of the solvent: scattering length densities, contrast, match points and\n"
      "forward scattering, from sequence files, structures and chemical formulas.\n"
      "A FILE of - is standard input (FASTA or one-letter codes).\n"
      "\n"
      "Component options, for the FILE or --formula that follows them:\n";
  for (const OptionRow& row : option_table()) {
    if (row.per_component) {
      append_help(row, &text);
    }
  }
  text += "Options:\n";
  for (const OptionRow& row : option_table()) {
    if (!row.per_component) {
      append_help(row, &text);
    }
  }
  text +=
      "  -h, --help              this help\n"
      "      --version           the version\n"
      "Elements:";
  size_t column = 9;
  for (int i = 0; i < element_count(); ++i) {
    const std::string symbol = element_at(i).symbol;
    if (column + 1 + symbol.size() > 80) {
      text += "\n ";
      column = 1;
    }
    text += " " + symbol;
    column += 1 + symbol.size();
  }
  text += ".\nA series has at most " + std::to_string(MAX_POINTS) + " D2O points.\n";
  text += "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage.\n";
  return text;
}
