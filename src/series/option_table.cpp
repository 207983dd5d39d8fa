#include "series/option_table.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "residues/chemistry.h"
#include "scattering/water.h"
#include "text/decimal.h"

// The ranges the command line and an instrument file's sections share.
const Range FLUX{1e2, 1e10, false, false, "a flux from 1e2 to 1e10 neutrons per cm^2 per s"};
const Range APERTURE{0.5, 50, false, false, "a diameter from 0.5 to 50 mm"};
const Range WAVELENGTH{2, 12, false, false, "a wavelength from 2 to 12 A"};
const Range SPREAD{0.01, 0.5, false, false, "a wavelength spread from 0.01 to 0.5 (FWHM)"};

bool Range::contains(double v) const {
  return (above_low ? v > low : v >= low) && v <= high && (!whole || v == std::floor(v));
}

namespace {

bool parse_number(const std::string& text, double* value) {
  return parse_decimal(text, value);
}

const Range PERCENT{0, 100, false, false, "a percentage from 0 to 100"};
const Range D2O_PERCENT{0, 100, false, false, "a D2O percentage from 0 to 100"};
const Range STEP{0, 100, true, false, "a D2O step above 0 and up to 100"};
const Range CONC{0, MAX_CONC, true, false,
                 "a concentration above 0 and up to 500 mg/mL (mg of solute per mL of sample)"};
const Range VOLUME{1, 1e9, false, false, "a volume from 1 to 1e9 cubic angstrom"};
const Range DENSITY{MIN_DENSITY, MAX_DENSITY, false, false,
                    "a density from 0.5 to 3 g/cm^3 (give g/cm^3, not kg/m^3)"};
const Range ASSEMBLY{1, 1000, false, true, "a whole number from 1 to 1000"};
const Range MASS{0.1, 1e5, false, false, "a mass from 0.1 to 100000 kDa"};
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
const Range EFFICIENCY{0.05, 1, false, false, "an efficiency from 0.05 to 1"};
const Range CELL{0.1, 20, false, false, "path lengths from 0.1 to 20 mm, each once, such as 1,2"};
const Range D2O_LIST{0, 100, false, false,
                     "D2O percentages from 0 to 100, ascending, such as 0,42,100"};
const Range Q_MIN{1e-4, 0.1, false, false, "a q from 0.0001 to 0.1 1/A"};
const Range TARGET{0.1, 50, false, false, "a relative error from 0.1 to 50 %"};
const Range BACKGROUND{0, 10, false, false, "a background from 0 to 10 1/cm"};
const Range SEED{0, 9007199254740991.0, false, true, "a whole number from 0 to 2^53 - 1"};
const Range UNCERTAINTY_POINTS{0, 50, false, false, "from 0 to 50 points"};
const Range UNCERTAINTY_VOLUME{0, 20, false, false, "from 0 to 20 %"};

// The settings of the beamtime estimate: each turns it on, and an --instrument file
// may give them, by these names without their dashes.
const char* const INSTRUMENT_SETTINGS[] = {
    "--flux",       "--aperture", "--wavelength", "--spread",         "--efficiency",
    "--cells",      "--q-min",    "--target",     "--background-h2o", "--background-d2o",
    "--instrument", "--configs",  "--target-high"};

// Each row's field belongs to the run or to the component being described.
template <typename Owner>
Owner* owner(SeriesOptions* run, ComponentSpec* next) {
  if constexpr (std::is_same_v<Owner, ComponentSpec>) {
    return next;
  } else if constexpr (std::is_same_v<Owner, SeriesOutputs>) {
    return &run->outputs;
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
          },
          ValueKind::kFlag};
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
          },
          ValueKind::kNumber};
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
          },
          std::strcmp(value_name, "FILE") == 0 || std::strcmp(value_name, "DIR") == 0 ||
                  std::strcmp(value_name, "MODEL2") == 0
              ? ValueKind::kPath
              : ValueKind::kWord};
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
                                      {"time", PlotKind::kTime},
                                      {"simulated", PlotKind::kSimulated},
                                      {"fit", PlotKind::kFit},
                                      {"guinier", PlotKind::kGuinier},
                                      {"match", PlotKind::kMatch},
                                      {"measured-stuhrmann", PlotKind::kMeasuredStuhrmann}};
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

}  // namespace

bool is_instrument_setting(const std::string& name) {
  for (const char* setting : INSTRUMENT_SETTINGS) {
    if (name == setting) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> instrument_setting_names() {
  std::vector<std::string> names;
  for (const char* setting : INSTRUMENT_SETTINGS) {
    names.emplace_back(setting);
  }
  return names;
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
       },
       ValueKind::kWordList},
      number("-d", "--deuteration", &ComponentSpec::deuteration, PERCENT, "PCT",
             "% of the non-exchangeable hydrogens that are deuterium\n(default 0)"),
      {nullptr, "--deuterate", "K,K=PCT",
       "those kinds (LEU,ILE; or nucleotide letters) at PCT %\ninstead; repeatable", true,
       [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
         return set_deuterate(v, next);
       },
       ValueKind::kPairs},
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
       },
       ValueKind::kNumber},
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
      number(nullptr, "--assembly", &ComponentSpec::assembly, ASSEMBLY, "N",
             "structure: build the file's biological assembly N (PDB\n"
             "REMARK 350, mmCIF pdbx_struct_assembly) from its model"),
      {nullptr, "--mass", "KDA",
       "a protein known by its mass only, in kDa, in place of a FILE:\n"
       "Swiss-Prot's average composition for that many residues\n"
       "takes a mass from 0.1 to 100000 kDa",
       true,
       [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
         double x = 0.0;
         if (!parse_number(v, &x) || !MASS.contains(x)) {
           return std::string(MASS.expected);
         }
         next->mass_kda = x;
         return std::string();
       },
       ValueKind::kNumber},
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
         // The parser hands the run's over before the first FILE (next is null then).
         (next == nullptr ? run->exchange : next->exchange) = x;
         return std::string();
       },
       ValueKind::kNumber},
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
       },
       ValueKind::kPairs},
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
       },
       ValueKind::kPairs},
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
       },
       ValueKind::kNumberList},
      number(nullptr, "--conc", &SeriesOptions::conc, CONC, "MG_PER_ML",
             "sample concentration: adds I(0) in 1/cm"),
      flag("--xray", &SeriesOptions::xray, "adds X-ray scattering length densities"),
      set_to("--csv", &SeriesOutputs::format, OutputFormat::kCsv,
             "comma-separated values instead of the text table"),
      text("-o", "--output", &SeriesOutputs::output_path, "FILE",
           "the report into FILE (default -, standard output)"),
      text(nullptr, "--csv-file", &SeriesOutputs::csv_path, "FILE",
           "the series as CSV into FILE as well, beside the report"),
      text(nullptr, "--svg", &SeriesOutputs::svg_path, "FILE",
           "also plot into FILE (- for "
           "standard output)"),
      {nullptr, "--plot", "KIND",
       "contrast (default), sld, i0 (with --conc), stuhrmann,\ncurves or pr (structures), time "
       "(counting times),\nsimulated (simulated measurements), fit (with --fit);\nwith "
       "--measured: guinier, match, measured-stuhrmann",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         run->outputs.plot_given = true;
         return std::string(find_named(v, PLOT_KINDS, &run->outputs.plot)
                                ? ""
                                : "a plot (contrast, sld, i0, stuhrmann, curves, pr, time, "
                                  "simulated or fit)");
       }},
      {nullptr, "--plot-layout", "LAYOUT",
       "wide (default: 820 px, the legend beside the plot) or\n"
       "narrow (360 px, the legend below it), for small screens",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         if (v != "wide" && v != "narrow") {
           return std::string("wide or narrow");
         }
         run->outputs.narrow_plot = v == "narrow";
         return std::string();
       }},
      flag("--ligands", &SeriesOptions::ligands,
           "structures: add the ligands, by the formulas of the common\n"
           "ones (HEM, NAD, ATP, GOL...) or as modelled"),
      {nullptr, "--ligand", "NAME=F:N",
       "with --ligands: ligand NAME by formula F with N labile H\n"
       "(CMP=C10H12N5O6P:3); repeatable",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) { return set_ligand(v, run); },
       ValueKind::kPairs},
      text(nullptr, "--stuhrmann", &SeriesOutputs::stuhrmann_path, "FILE",
           "structures: write the Stuhrmann fits as CSV into FILE"),
      text(nullptr, "--curves", &SeriesOutputs::curves_path, "FILE",
           "structures: the predicted I(q) of every line and D2O point\nas CSV into FILE"),
      text(nullptr, "--pr", &SeriesOutputs::pr_path, "FILE",
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
      flag("--progress", &SeriesOutputs::progress_lines,
           "say how far a long run has come on standard error even\n"
           "when it is no terminal (a line at every tenth)"),
      flag("--quiet", &SeriesOutputs::quiet, "no progress on standard error, even on a terminal"),
      {nullptr, "--show-d2o", "PCT,PCT",
       "the D2O points a curves or pr plot draws (default: five\nspread over the series)", false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         return set_list(v, D2O_LIST, true, &run->outputs.show_d2o);
       },
       ValueKind::kNumberList},
      text(nullptr, "--show-component", &SeriesOutputs::show_component, "LABEL",
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
       },
       ValueKind::kNumberList},
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
           "(flux = 1e7), and the camera's configurations in [NAME]\n"
           "sections; the command line's own win"),
      {nullptr, "--configs", "NAME,NAME",
       "count with these configurations of the --instrument file\n"
       "(1.5m,5m,15m), the low-q one timed for --target",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         run->config_names.clear();
         return std::string(split_list(v, &run->config_names)
                                ? ""
                                : "configuration names separated by commas, such as 1.5m,5m");
       },
       ValueKind::kWordList},
      number(nullptr, "--target-high", &SeriesOptions::target_high, TARGET, "PCT",
             "relative error of I where it has fallen 100-fold, for\n"
             "each configuration above the low-q one (default 10)"),
      text(nullptr, "--simulate", &SeriesOutputs::simulate_dir, "DIR",
           "write the measured curve the planned times give, for every\n"
           "sample and D2O point, into folder DIR (q I dI dq files and\n"
           "one canSAS XML file)"),
      flag("--noise", &SeriesOptions::noise, "simulate Poisson counts instead of expected values"),
      number(nullptr, "--seed", &SeriesOptions::seed, SEED, "N",
             "the seed of --noise (default 1): the same seed, the same\ncounts"),
      text(nullptr, "--compare", &SeriesOptions::compare_path, "MODEL2",
           "a second model of the structure components: the reduced\n"
           "chi-square between the two simulated curves, and the time\n"
           "at which it reaches 2"),
      {nullptr, "--measured", "PCT=FILE",
       "a measured curve (canSAS XML, NIST ABS, text of q I dI [dq])\n"
       "at PCT % D2O, fitted for Rg and I(0); several give the\n"
       "measured match point; repeatable",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         const size_t equals = v.find('=');
         double d2o = 0.0;
         if (equals == std::string::npos || !parse_number(v.substr(0, equals), &d2o) ||
             !D2O_PERCENT.contains(d2o) || equals + 1 == v.size()) {
           return std::string("PCT=FILE, such as 40=40.dat, PCT a D2O percentage from 0 to 100");
         }
         run->measured.push_back({d2o, v.substr(equals + 1)});
         return std::string();
       },
       ValueKind::kPairs},
      flag("--fit", &SeriesOptions::fit_measured,
           "measured: fit the model's curves to the measured ones, a\n"
           "scale (fixed by the concentration when the file is in 1/cm)\n"
           "and background per contrast, the shell's density free"),
      text(nullptr, "--basis", &SeriesOutputs::basis_path, "FILE",
           "measured, with two components: the basis curves I11, I12,\n"
           "I22 of the series as CSV into FILE"),
      {nullptr, "--measured-conc", "PCT=MG_PER_ML",
       "the concentration of the measured sample at PCT % D2O\n"
       "(default --conc); repeatable",
       false,
       [](const std::string& v, SeriesOptions* run, ComponentSpec*) {
         const size_t equals = v.find('=');
         double d2o = 0.0, conc = 0.0;
         if (equals == std::string::npos || !parse_number(v.substr(0, equals), &d2o) ||
             !D2O_PERCENT.contains(d2o) || !parse_number(v.substr(equals + 1), &conc) ||
             !CONC.contains(conc)) {
           return std::string("PCT=MG_PER_ML, such as 40=26.9, with ") + CONC.expected;
         }
         run->measured_conc.emplace_back(d2o, conc);
         return std::string();
       },
       ValueKind::kPairs},
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

std::string keyword_of(const OptionRow& row) {
  std::string keyword = row.long_name + 2;
  std::replace(keyword.begin(), keyword.end(), '-', '_');
  return keyword == "from" ? "from_" : keyword;
}

std::string in_words(const std::string& message, const OptionWords& words) {
  const auto part_of_name = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
  };
  std::string text = message;
  if (words.help.empty()) {  // a caller without a help: no pointer to one
    for (const char* pointer : {" (see --help)", "; see --help"}) {
      for (size_t at = text.find(pointer); at != std::string::npos; at = text.find(pointer)) {
        text.erase(at, std::string(pointer).size());
      }
    }
  }
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const bool starts = text[i] == '-' && (i == 0 || !part_of_name(text[i - 1]));
    size_t end = i + 1;
    while (starts && end < text.size() && part_of_name(text[end])) {
      ++end;
    }
    const std::string name = text.substr(i, end - i);
    const OptionRow* row = starts ? find_row(name) : nullptr;
    if (starts && name == "--help") {
      out += words.help;
    } else if (row == nullptr) {
      out += name;
    } else {
      out += words.name(*row);
      const std::string value = row->value_name != nullptr ? row->value_name : "";
      if (!value.empty() && text.compare(end, value.size() + 1, " " + value) == 0) {
        out += words.value_names ? "=" + value : "";
        end += value.size() + 1;
      }
    }
    i = end;
  }
  return out;
}

std::string in_keywords(const std::string& message) {
  return in_words(message, {keyword_of, true, "help(quorvane.plan)"});
}
