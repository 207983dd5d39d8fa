#include "series/series_options.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "structure/structure_reader.h"

const char SERIES_USAGE[] =
    "Usage: quorvane-series [OPTIONS] [COMPONENT-OPTIONS] FILE|--formula F ...\n"
    "Contrast variation of proteins, nucleic acids and their complexes over the D2O\n"
    "content of the solvent: scattering length densities, contrast, match points and\n"
    "forward scattering, from sequence files and chemical formulas.\n"
    "\n"
    "Component options, for the FILE or --formula that follows them:\n"
    "  -t, --type TYPE         protein, dna or rna (default protein)\n"
    "  -c, --code CODE         three, one, number, fasta or structure (default: .pdb,\n"
    "                          .ent, .cif, .mmcif (.gz) are structures, else the first\n"
    "                          entry decides); every FASTA record is a component\n"
    "      --chains A,B        structure: these chains as one component (default: each\n"
    "                          polymer chain of the first model is one)\n"
    "  -d, --deuteration PCT   % of the non-exchangeable hydrogens that are deuterium\n"
    "                          (default 0)\n"
    "      --deuterate K,K=PCT those kinds (LEU,ILE; or nucleotide letters) at PCT %\n"
    "                          instead; repeatable\n"
    "      --disulfides N      protein: N disulfide bonds, each without two thiol H\n"
    "      --psv V             partial specific volume, cm^3/g: the volume from the mass\n"
    "      --match-at PCT      report the deuteration that matches it at PCT % D2O\n"
    "  -n, --copies N          copies of the component in the complex (default 1)\n"
    "  -l, --label NAME        name in the output (default: the file name, record ID or\n"
    "                          formula)\n"
    "      --formula F         a molecule by formula (C12H22O11; D for deuterium; Mg+2)\n"
    "                          in place of a FILE, with --volume A3 or --density G/CM3\n"
    "                          and --labile N, its H that exchange (default 0)\n"
    "Options:\n"
    "  -x, --exchange PCT      % of the labile hydrogens that exchange (default 100)\n"
    "      --from PCT          first D2O percentage (default 0)\n"
    "      --to PCT            last D2O percentage (default 100)\n"
    "      --step PCT          D2O step (default 10)\n"
    "      --conc MG_PER_ML    sample concentration: adds I(0) in 1/cm\n"
    "      --xray              adds X-ray scattering length densities\n"
    "      --csv               comma-separated values instead of the text table\n"
    "      --svg FILE          also plot into FILE\n"
    "      --plot KIND         contrast (default), sld, i0 (with --conc) or stuhrmann\n"
    "      --ligands           structures: add the ligands by their modelled composition\n"
    "      --stuhrmann FILE    structures: write the Stuhrmann fits as CSV into FILE\n"
    "      --records           one line per sequence record (ID, residues, Mw, volume,\n"
    "                          SLD in H2O and D2O, match point) instead of a series\n"
    "      --allow-unknown     leave entries that name no residue out of the sums, with a\n"
    "                          warning, instead of stopping\n"
    "  -h, --help              this help\n"
    "      --version           the version\n"
    "Elements: H D C N O P S Na K Cl Mg Ca Se Fe Zn Mn Cu F Br I.\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage.\n";

namespace {

bool parse_number(const std::string& text, double* value) {
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(parsed)) {
    return false;
  }
  *value = parsed;
  return true;
}

bool percent(const std::string& value, double* field) {
  double number = 0.0;
  if (!parse_number(value, &number) || number < 0.0 || number > 100.0) {
    return false;
  }
  *field = number;
  return true;
}

bool whole_number(const std::string& text, double low, double high, int64_t* value) {
  double number = 0.0;
  if (!parse_number(text, &number) || number < low || number > high ||
      number != std::floor(number)) {
    return false;
  }
  *value = static_cast<int64_t>(number);
  return true;
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

// The words an option takes and what each stands for.
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

constexpr char PERCENT[] = "a percentage from 0 to 100";

// Sets what an option with a value names; false when the value does not fit, and
// the option's table row says what it expects.
using Setter = bool (*)(const std::string& value, SeriesOptions* options, ComponentSpec* next);

struct OptionRule {
  const char* short_name;  // may be null
  const char* long_name;
  bool per_component;
  Setter set;        // null: a flag without a value
  const char* kind;  // what a value must be, for the message
};

const OptionRule RULES[] = {
    {"-c", "--code", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       static const Named<DataCode> codes[] = {
           {"structure", DataCode::kOneLetter}, {"three", DataCode::kThreeLetter},
           {"one", DataCode::kOneLetter},       {"fasta", DataCode::kOneLetter},
           {"number", DataCode::kNumber},       {"0", DataCode::kThreeLetter},
           {"1", DataCode::kOneLetter},         {"2", DataCode::kNumber}};
       next->structure = v == "structure";
       next->code_given = !next->structure;
       return find_named(v, codes, &next->code);
     },
     "a code (three, one, number, fasta or structure)"},
    {nullptr, "--chains", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       return split_list(v, &next->chains);
     },
     "chain names such as A,B"},
    {nullptr, "--stuhrmann", false,
     [](const std::string& v, SeriesOptions* o, ComponentSpec*) {
       o->stuhrmann_path = v;
       return !v.empty();
     },
     "a file name"},
    {"-d", "--deuteration", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       return percent(v, &next->deuteration);
     },
     PERCENT},
    {"-n", "--copies", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       return whole_number(v, 1.0, 1e6, &next->copies);
     },
     "a whole number of copies from 1 to 1000000"},
    {"-l", "--label", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       next->label = v;
       return !v.empty();
     },
     "a name"},
    {"-x", "--exchange", false,
     [](const std::string& v, SeriesOptions* o, ComponentSpec*) {
       return percent(v, &o->exchange);
     },
     PERCENT},
    {nullptr, "--from", false,
     [](const std::string& v, SeriesOptions* o, ComponentSpec*) { return percent(v, &o->from); },
     "a D2O percentage from 0 to 100"},
    {nullptr, "--to", false,
     [](const std::string& v, SeriesOptions* o, ComponentSpec*) { return percent(v, &o->to); },
     "a D2O percentage from 0 to 100"},
    {nullptr, "--step", false,
     [](const std::string& v, SeriesOptions* o, ComponentSpec*) {
       return parse_number(v, &o->step) && o->step > 0.0;
     },
     "a step above 0"},
    {nullptr, "--svg", false,
     [](const std::string& v, SeriesOptions* o, ComponentSpec*) {
       o->svg_path = v;
       return !v.empty();
     },
     "a file name"},
    {"-t", "--type", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       static const Named<ChainKind> kinds[] = {
           {"protein", ChainKind::kProtein}, {"dna", ChainKind::kDna}, {"rna", ChainKind::kRna}};
       return find_named(v, kinds, &next->kind);
     },
     "a type (protein, dna or rna)"},
    {nullptr, "--deuterate", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       const size_t equals = v.find('=');
       SelectiveDeuteration selective{{}, 0.0};
       if (equals == std::string::npos || !percent(v.substr(equals + 1), &selective.percent) ||
           !split_list(v.substr(0, equals), &selective.kinds)) {
         return false;
       }
       next->selective.push_back(selective);
       return true;
     },
     "KINDS=PCT, such as LEU,ILE=100"},
    {nullptr, "--disulfides", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       return whole_number(v, 0.0, 1e6, &next->disulfides);
     },
     "a whole number of disulfide bonds"},
    {nullptr, "--psv", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       return parse_number(v, &next->psv) && next->psv > 0.1 && next->psv < 2.0;
     },
     "a partial specific volume from 0.1 to 2 cm^3/g"},
    {nullptr, "--match-at", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       next->match_at_given = true;
       return percent(v, &next->match_at);
     },
     "a D2O percentage from 0 to 100"},
    {nullptr, "--labile", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       return parse_number(v, &next->labile) && next->labile >= 0.0 &&
              next->labile == std::floor(next->labile);
     },
     "a whole number of labile hydrogens"},
    {nullptr, "--volume", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       return parse_number(v, &next->volume) && next->volume > 0.0;
     },
     "a volume in cubic angstrom above 0"},
    {nullptr, "--density", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       return parse_number(v, &next->density) && next->density > 0.0;
     },
     "a density in g/cm^3 above 0"},
    {nullptr, "--conc", false,
     [](const std::string& v, SeriesOptions* o, ComponentSpec*) {
       return parse_number(v, &o->conc) && o->conc > 0.0;
     },
     "a concentration in mg/mL above 0"},
    {nullptr, "--plot", false,
     [](const std::string& v, SeriesOptions* o, ComponentSpec*) {
       static const Named<PlotKind> kinds[] = {{"contrast", PlotKind::kContrast},
                                               {"sld", PlotKind::kSld},
                                               {"i0", PlotKind::kForwardScattering},
                                               {"stuhrmann", PlotKind::kStuhrmann}};
       return find_named(v, kinds, &o->plot);
     },
     "a plot (contrast, sld, i0 or stuhrmann)"},
    {nullptr, "--formula", true,
     [](const std::string& v, SeriesOptions*, ComponentSpec* next) {
       next->formula = v;
       return !v.empty();
     },
     "a formula"},
    {nullptr, "--xray", false, nullptr, nullptr},
    {nullptr, "--ligands", false, nullptr, nullptr},
    {nullptr, "--csv", false, nullptr, nullptr},
    {nullptr, "--records", false, nullptr, nullptr},
    {nullptr, "--allow-unknown", false, nullptr, nullptr},
};

const OptionRule* find_rule(const std::string& name) {
  for (const OptionRule& rule : RULES) {
    if (name == rule.long_name || (rule.short_name != nullptr && name == rule.short_name)) {
      return &rule;
    }
  }
  return nullptr;
}

void set_flag(const std::string& name, SeriesOptions* options) {
  if (name == "--csv") {
    options->format = OutputFormat::kCsv;
  } else if (name == "--records") {
    options->records = true;
  } else if (name == "--xray") {
    options->xray = true;
  } else if (name == "--ligands") {
    options->ligands = true;
  } else {
    options->allow_unknown = true;
  }
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

// Checks a component's options against what it is.
bool check_component(const ComponentSpec& c, std::string* error) {
  if (c.formula.empty() && (c.labile > 0.0 || c.volume > 0.0 || c.density > 0.0)) {
    *error = "--labile, --volume and --density describe a --formula component";
    return false;
  }
  if (!c.formula.empty()) {
    Unit unit{};
    std::string problem;
    if (!parse_formula(c.formula, c.labile, &unit, &problem)) {
      *error = "--formula " + c.formula + ": " + problem;
      return false;
    }
    if ((c.volume > 0.0) == (c.density > 0.0) && c.psv <= 0.0) {
      *error = "--formula " + c.formula + " needs its volume: give --volume or --density";
      return false;
    }
  }
  if (!c.chains.empty() && !c.structure && !is_structure_path(c.path)) {
    *error = "--chains applies to structure files (.pdb, .cif...; or --code structure)";
    return false;
  }
  if (c.disulfides > 0 && (c.kind != ChainKind::kProtein || !c.formula.empty())) {
    *error = "--disulfides applies to protein components only";
    return false;
  }
  for (const SelectiveDeuteration& s : c.selective) {
    for (const std::string& kind : s.kinds) {
      if (!c.formula.empty() || !is_unit_name(c.kind, kind)) {
        *error = "--deuterate: '" + kind + "' is no " +
                 (c.kind == ChainKind::kProtein ? "residue name (LEU, GLY...)"
                                                : "nucleotide letter (A, C, G, T or U)") +
                 " of this component";
        return false;
      }
    }
  }
  return true;
}

// The checks that need every option: a file for each component option, and a range.
ParseResult check_whole(bool pending, SeriesOptions* options, std::string* error) {
  if (pending) {
    *error = "component options at the end name no file; put them before their FILE";
    return ParseResult::kUsageError;
  }
  if (options->components.empty()) {
    *error = "no component given; name at least one sequence file (see --help)";
    return ParseResult::kUsageError;
  }
  if (options->plot == PlotKind::kForwardScattering && options->conc <= 0.0) {
    *error = "--plot i0 needs the sample's concentration: give --conc";
    return ParseResult::kUsageError;
  }
  if (options->from > options->to) {
    *error = "the D2O range runs backwards: --from must not exceed --to";
    return ParseResult::kUsageError;
  }
  if (std::floor((options->to - options->from) / options->step + 1e-9) >= MAX_POINTS) {
    *error = "the D2O range has more than 10001 points; use a larger --step";
    return ParseResult::kUsageError;
  }
  return ParseResult::kRun;
}

}  // namespace

namespace {

// Checks the component the options so far describe and starts the next one.
bool finish_component(ComponentSpec* next, SeriesOptions* options, std::string* error) {
  if (!check_component(*next, error)) {
    return false;
  }
  options->components.push_back(*next);
  *next = ComponentSpec();
  return true;
}

// Reads the option at argv[*i] (and its value, inline or the next argument) into
// `options` or `next`. Returns false with `*error` when it is unknown or its value does
// not fit; `*per_component` tells whether it waits for a file.
bool read_option(int argc, const char* const* argv, int* i, SeriesOptions* options,
                 ComponentSpec* next, bool* per_component, std::string* error) {
  std::string arg = argv[*i];
  std::string value;
  const size_t equals = arg.find('=');
  const bool inline_value = arg.compare(0, 2, "--") == 0 && equals != std::string::npos;
  if (inline_value) {
    value = arg.substr(equals + 1);
    arg.erase(equals);
  }
  const OptionRule* rule = find_rule(arg);
  if (rule == nullptr) {
    *error = "unknown option '" + arg + "'; see --help";
    return false;
  }
  *per_component = rule->per_component;
  if (rule->set == nullptr) {
    set_flag(rule->long_name, options);
    return true;
  }
  if (!inline_value) {
    if (*i + 1 >= argc) {
      *error = "option '" + arg + "' needs a value; see --help";
      return false;
    }
    value = argv[++*i];
  }
  if (!rule->set(value, options, next)) {
    *error = "option '" + arg + "': '" + value + "' is not " + rule->kind;
    return false;
  }
  return true;
}

}  // namespace

ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 std::string* error) {
  ComponentSpec next;
  bool pending = false;  // a component option waits for its file
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (only_files || arg.empty() || arg[0] != '-' || arg == "-") {
      if (!next.formula.empty()) {
        *error = "--formula " + next.formula + " takes the place of a file, not " + arg;
        return ParseResult::kUsageError;
      }
      next.path = arg;
      if (!finish_component(&next, options, error)) {
        return ParseResult::kUsageError;
      }
      pending = false;
    } else if (arg == "--") {
      only_files = true;
    } else if (arg == "-h" || arg == "--help") {
      return ParseResult::kHelp;
    } else if (arg == "--version") {
      return ParseResult::kVersion;
    } else {
      bool per_component = false;
      if (!read_option(argc, argv, &i, options, &next, &per_component, error)) {
        return ParseResult::kUsageError;
      }
      // A formula takes the place of a file: it ends its component.
      const bool formula = !next.formula.empty();
      if (formula && !finish_component(&next, options, error)) {
        return ParseResult::kUsageError;
      }
      pending = !formula && (pending || per_component);
    }
  }
  return check_whole(pending, options, error);
}

std::vector<double> d2o_percentages(const SeriesOptions& options) {
  std::vector<double> points;
  // Counted, not accumulated, so that 0.1 steps do not drift; a last step that lands
  // on `to` within rounding is `to` exactly.
  const double span = (options.to - options.from) / options.step;
  const auto steps = static_cast<int>(std::floor(span + 1e-9));
  for (int i = 0; i <= steps; ++i) {
    points.push_back(options.from + i * options.step);
  }
  if (std::fabs(points.back() - options.to) <= 1e-9 * options.step) {
    points.back() = options.to;
  }
  return points;
}
