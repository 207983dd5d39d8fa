#include "series/series_options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "residues/sequence_reader.h"

const char SERIES_USAGE[] =
    "Usage: quorvane-series [OPTIONS] [COMPONENT-OPTIONS] FILE [[COMPONENT-OPTIONS] FILE]...\n"
    "Contrast variation of proteins and complexes over the D2O content of the solvent:\n"
    "scattering length densities, contrast and match points, from residue files.\n"
    "\n"
    "Component options, for the FILE that follows them:\n"
    "  -c, --code CODE         three, one, number or fasta (default: from the extension\n"
    "                          .fasta/.fa/.faa, else from the file's first entry)\n"
    "  -d, --deuteration PCT   % of the non-exchangeable hydrogens that are deuterium\n"
    "                          (default 0)\n"
    "  -n, --copies N          copies of the component in the complex (default 1)\n"
    "  -l, --label NAME        name in the output (default: the file name)\n"
    "Options:\n"
    "  -x, --exchange PCT      % of the labile hydrogens that exchange (default 100)\n"
    "      --from PCT          first D2O percentage (default 0)\n"
    "      --to PCT            last D2O percentage (default 100)\n"
    "      --step PCT          D2O step (default 10)\n"
    "      --csv               comma-separated values instead of the text table\n"
    "      --svg FILE          also plot contrast density against D2O into FILE\n"
    "  -h, --help              this help\n"
    "      --version           the version\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage.\n";

namespace {

constexpr int MAX_POINTS = 10001;

bool parse_number(const char* text, double* value) {
  char* end = nullptr;
  const double parsed = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(parsed)) {
    return false;
  }
  *value = parsed;
  return true;
}

bool parse_code(const char* text, int* code) {
  const struct {
    const char* name;
    int code;
  } codes[] = {{"three", THREE_LETTER_CODE},
               {"one", ONE_LETTER_CODE},
               {"number", NUMBER_CODE},
               {"fasta", FASTA_CODE},
               {"0", THREE_LETTER_CODE},
               {"1", ONE_LETTER_CODE},
               {"2", NUMBER_CODE}};
  for (const auto& c : codes) {
    if (std::strcmp(text, c.name) == 0) {
      *code = c.code;
      return true;
    }
  }
  return false;
}

std::string label_of(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) {
    name.erase(dot);
  }
  return name;
}

}  // namespace

ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 std::string* error) {
  ComponentSpec next;
  bool pending = false;  // a component option waits for its file
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (only_files || arg.empty() || arg[0] != '-' || arg == "-") {
      next.path = arg;
      if (next.label.empty()) {
        next.label = label_of(arg);
      }
      options->components.push_back(next);
      next = ComponentSpec();
      pending = false;
      continue;
    }
    if (arg == "--") {
      only_files = true;
      continue;
    }
    std::string value;
    bool has_inline_value = false;
    const size_t equals = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg.erase(equals);
      has_inline_value = true;
    }
    if (arg == "-h" || arg == "--help") {
      return ParseResult::kHelp;
    }
    if (arg == "--version") {
      return ParseResult::kVersion;
    }
    if (arg == "--csv") {
      options->format = OutputFormat::kCsv;
      continue;
    }
    static const char* const WITH_VALUE[] = {
        "-c",      "--code", "-d",         "--deuteration", "-n",   "--copies", "-l",
        "--label", "-x",     "--exchange", "--from",        "--to", "--step",   "--svg"};
    bool known = false;
    for (const char* name : WITH_VALUE) {
      known = known || arg == name;
    }
    if (!known) {
      *error = "unknown option '" + arg + "'; see --help";
      return ParseResult::kUsageError;
    }
    if (!has_inline_value) {
      if (i + 1 >= argc) {
        *error = "option '" + arg + "' needs a value; see --help";
        return ParseResult::kUsageError;
      }
      value = argv[++i];
    }
    double number = 0.0;
    const bool numeric = parse_number(value.c_str(), &number);
    const auto bad_value = [&](const char* expected) {
      *error = "option '" + arg + "': '" + value + "' is not " + expected;
      return ParseResult::kUsageError;
    };
    if (arg == "-c" || arg == "--code") {
      if (!parse_code(value.c_str(), &next.code)) {
        return bad_value("a code (three, one, number or fasta)");
      }
      pending = true;
    } else if (arg == "-d" || arg == "--deuteration") {
      if (!numeric || number < 0.0 || number > 100.0) {
        return bad_value("a percentage from 0 to 100");
      }
      next.deuteration = number;
      pending = true;
    } else if (arg == "-n" || arg == "--copies") {
      if (!numeric || number < 1.0 || number > 1e6 || number != std::floor(number)) {
        return bad_value("a whole number of copies from 1 to 1000000");
      }
      next.copies = static_cast<int64_t>(number);
      pending = true;
    } else if (arg == "-l" || arg == "--label") {
      next.label = value;
      pending = true;
    } else if (arg == "-x" || arg == "--exchange") {
      if (!numeric || number < 0.0 || number > 100.0) {
        return bad_value("a percentage from 0 to 100");
      }
      options->exchange = number;
    } else if (arg == "--svg") {
      options->svg_path = value;
    } else if (!numeric) {
      return bad_value("a number");
    } else if (arg == "--from") {
      options->from = number;
    } else if (arg == "--to") {
      options->to = number;
    } else {
      options->step = number;
    }
  }
  if (pending) {
    *error = "component options at the end name no file; put them before their FILE";
    return ParseResult::kUsageError;
  }
  if (options->components.empty()) {
    *error = "no component given; name at least one residue file (see --help)";
    return ParseResult::kUsageError;
  }
  if (!(options->step > 0.0) || options->from > options->to ||
      (options->to - options->from) / options->step >= MAX_POINTS) {
    *error = "the D2O range needs --from <= --to and a --step above 0, with at most 10001 points";
    return ParseResult::kUsageError;
  }
  return ParseResult::kRun;
}

std::vector<double> d2o_percentages(const SeriesOptions& options) {
  std::vector<double> points;
  // Counted, not accumulated, so that 0.1 steps do not drift; the end is kept when the
  // step lands on it within rounding.
  const double span = (options.to - options.from) / options.step;
  const auto count = static_cast<int>(std::floor(span + 1e-9)) + 1;
  for (int i = 0; i < count; ++i) {
    points.push_back(options.from + i * options.step);
  }
  return points;
}
