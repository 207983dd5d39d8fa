#include "series/series_options.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "series/configurations.h"
#include "series/option_checks.h"
#include "series/option_table.h"

namespace {

ParseResult fail(RunBuilder* b, bool of_component, const std::string& setting,
                 const std::string& message) {
  *b->error = plan_error(of_component ? static_cast<int>(b->options->components.size()) : -1,
                         setting, message);
  return ParseResult::kUsageError;
}

// Options that may be given again to add to what they set.
bool is_repeatable(const std::string& name) {
  return name == "--deuterate" || name == "--buffer" || name == "--ligand" ||
         name == "--measured" || name == "--measured-conc";
}

bool is_output(const std::string& name) {
  return name == "--output" || name == "--csv-file" || name == "--svg" || name == "--stuhrmann" ||
         name == "--curves" || name == "--pr";
}

// Refuses an option given a second time with another value (an output given twice at
// all): the run would use one and ignore the other without a word.
bool given_once(const OptionRow& row, const std::string& name, const std::string& value,
                RunBuilder* b) {
  if (row.value_name == nullptr || is_repeatable(row.long_name)) {
    return true;
  }
  auto& values = row.per_component ? b->component_values : b->run_values;
  const auto earlier = std::find_if(values.begin(), values.end(),
                                    [&](const auto& v) { return v.first == row.long_name; });
  if (earlier == values.end()) {
    values.emplace_back(row.long_name, value);
    return true;
  }
  if (earlier->second == value && !is_output(row.long_name)) {
    return true;
  }
  fail(b, row.per_component, row.long_name,
       "option '" + name + "' is given twice ('" + earlier->second + "' and '" + value + "')" +
           (row.per_component ? " for one component" : "") + "; give it once");
  b->error->value = value;
  return false;
}

// Reads the option at argv[*i] and its value (inline after '=' or the next argument).
ParseResult read_option(int argc, const char* const* argv, int* i, RunBuilder* b) {
  std::string name = argv[*i];
  std::string value;
  const size_t equals = name.find('=');
  const bool inline_value = name.compare(0, 2, "--") == 0 && equals != std::string::npos;
  if (inline_value) {
    value = name.substr(equals + 1);
    name.erase(equals);
  }
  const OptionRow* row = find_row(name);
  if (row != nullptr && row->value_name != nullptr && !inline_value) {
    if (*i + 1 >= argc) {
      return fail(b, row->per_component, row->long_name,
                  "option '" + name + "' needs a value; see --help");
    }
    value = argv[++*i];
  }
  return apply_setting(b, name, value) ? ParseResult::kRun : ParseResult::kUsageError;
}

}  // namespace

bool apply_setting(RunBuilder* b, const std::string& name, const std::string& value,
                   bool of_component) {
  const OptionRow* row = find_row(name);
  if (row == nullptr) {
    fail(b, false, name, "unknown option '" + name + "'; see --help");
    return false;
  }
  if (!given_once(*row, name, value, b)) {
    return false;
  }
  const bool of_run = std::strcmp(row->long_name, "--exchange") == 0 && !of_component &&
                      b->options->components.empty();
  const std::string expected = row->set(value, b->options, of_run ? nullptr : &b->next);
  if (!expected.empty()) {
    fail(b, row->per_component, row->long_name,
         "option '" + name + "': '" + value + "' is not " + expected);
    b->error->value = value;
    b->error->expected = expected;
    // A list's error names the item that is wrong, so that it can be shown where that
    // item was typed.
    std::vector<std::string> items;
    if (std::strcmp(row->long_name, "--uncertainty") == 0 && split_list(value, &items)) {
      for (const std::string& item : items) {
        SeriesOptions scratch;
        if (!set_uncertainty(item, &scratch).empty()) {
          b->error->value = item;
          break;
        }
      }
    }
    return false;
  }
  if (is_instrument_setting(row->long_name)) {
    b->options->beamtime = true;
  }
  b->options->given.emplace_back(row->long_name);
  if (row->per_component && !of_run && b->pending.empty()) {
    b->pending = name;
  }
  // A formula, or a mass, takes the place of a file: it ends its component.
  return (std::strcmp(row->long_name, "--formula") != 0 &&
          std::strcmp(row->long_name, "--mass") != 0) ||
         end_component(b);
}

bool end_component(RunBuilder* b) {
  ComponentSpec& next = b->next;
  std::string problem;
  if (!next.formula.empty() &&
      !parse_formula(next.formula, next.labile, &next.formula_unit, &problem)) {
    // Too many labile hydrogens is a mistake in --labile, not in the formula.
    fail(b, true, problem.rfind("more labile", 0) == 0 ? "--labile" : "--formula",
         "--formula " + next.formula + ": " + problem);
    b->error->value = next.formula;
    return false;
  }
  Problem found = check_component(next);
  if (found.message.empty() && next.volume > 0.0) {
    found = check_implied_density(next);
  }
  if (!found.message.empty()) {
    fail(b, true, found.setting, found.message);
    return false;
  }
  b->options->components.push_back(next);
  next = ComponentSpec();
  b->pending.clear();
  b->component_values.clear();
  return true;
}

bool finish_run(RunBuilder* b) {
  SeriesOptions* options = b->options;
  if (!b->pending.empty()) {
    fail(b, false, b->pending,
         "component options come before the FILE or --formula they describe: '" + b->pending +
             "' follows the last one");
    return false;
  }
  compute_for_outputs(options);
  if (!options->d2o.empty()) {  // the plots' D2O axis spans the list
    options->from = options->d2o.front();
    options->to = options->d2o.back();
  }
  const Problem problem = check_whole(*options);
  if (!problem.message.empty()) {
    fail(b, false, problem.setting, problem.message);
    return false;
  }
  return true;
}

namespace {

bool is_blank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// `text` without blanks at its ends.
std::string trimmed(std::string text) {
  text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), is_blank));
  text.erase(std::find_if_not(text.rbegin(), text.rend(), is_blank).base(), text.end());
  return text;
}

// "key = value" into its parts; a file may space a list as people write it (1, 2),
// which the command line may not. False without an '='.
bool split_setting(const std::string& line, std::string* key, std::string* value) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos) {
    return false;
  }
  *key = trimmed(line.substr(0, equals));
  *value = trimmed(line.substr(equals + 1));
  for (size_t comma = value->find(','); comma != std::string::npos;
       comma = value->find(',', comma + 1)) {
    while (comma > 0 && is_blank((*value)[comma - 1])) {
      value->erase(--comma, 1);
    }
    while (comma + 1 < value->size() && is_blank((*value)[comma + 1])) {
      value->erase(comma + 1, 1);
    }
  }
  return true;
}

// A [NAME] line: a configuration of its own name, starting from the settings so far.
bool open_section(const std::string& section, const std::string& where, SeriesOptions* options,
                  PlanError* error) {
  for (const Configuration& earlier : options->instrument_configs) {
    if (earlier.name == section) {
      *error = plan_error(-1, "--instrument",
                          where + "a second section [" + section + "]; name each once");
      return false;
    }
  }
  options->instrument_configs.push_back(configuration_from(*options, section));
  return true;
}

// A key of the last section.
bool apply_section_setting(const std::string& key, const std::string& value,
                           const std::string& where, SeriesOptions* options, PlanError* error) {
  Configuration& c = options->instrument_configs.back();
  const std::string expected = set_configuration(key, value, &c);
  if (expected.empty()) {
    return true;
  }
  *error = plan_error(
      -1, "--instrument",
      where + "[" + c.name + "] " +
          (expected.rfind("unknown key", 0) == 0 ? expected
                                                 : key + " = '" + value + "' is not " + expected));
  return false;
}

// A setting of the run, before any section; the command line's own value stands.
bool apply_run_setting(const std::string& key, const std::string& value, const std::string& where,
                       SeriesOptions* options, PlanError* error) {
  const std::string name = "--" + key;
  if (!is_instrument_setting(name) || name == "--instrument") {
    std::string keys;
    for (const std::string& setting : instrument_setting_names()) {
      keys += setting == "--instrument" ? "" : (keys.empty() ? "" : ", ") + setting.substr(2);
    }
    *error = plan_error(-1, "--instrument",
                        where + "unknown setting '" + key + "'; the settings are " + keys);
    return false;
  }
  const auto& given = options->given;
  if (std::find(given.begin(), given.end(), name) != given.end()) {
    return true;
  }
  const std::string expected = find_row(name)->set(value, options, nullptr);
  if (!expected.empty()) {
    *error = plan_error(-1, "--instrument", where + key + " = '" + value + "' is not " + expected);
    error->value = value;
    error->expected = expected;
    return false;
  }
  return true;
}

}  // namespace

ParseResult parse_series_options(int argc, const char* const* argv, SeriesOptions* options,
                                 PlanError* error) {
  RunBuilder b{options, error, ComponentSpec(), "", {}, {}};
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (only_files || arg.empty() || arg[0] != '-' || arg == "-") {
      b.next.path = arg;
      if (!end_component(&b)) {
        return ParseResult::kUsageError;
      }
    } else if (arg == "--") {
      only_files = true;
    } else if (arg == "-h" || arg == "--help") {
      return ParseResult::kHelp;
    } else if (arg == "--version") {
      return ParseResult::kVersion;
    } else if (read_option(argc, argv, &i, &b) != ParseResult::kRun) {
      return ParseResult::kUsageError;
    }
  }
  return finish_run(&b) ? ParseResult::kRun : ParseResult::kUsageError;
}

bool apply_instrument(const std::string& text, SeriesOptions* options, PlanError* error) {
  size_t number = 0;
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string raw = text.substr(start, end - start);
    const std::string line = trimmed(raw.substr(0, raw.find('#')));
    start = end + 1;
    ++number;
    if (line.empty()) {
      continue;
    }
    const std::string where = options->instrument_path + " line " + std::to_string(number) + ": ";
    std::string section, key, value;
    if (section_name(line, &section)) {
      if (!open_section(section, where, options, error)) {
        return false;
      }
      continue;
    }
    if (!split_setting(line, &key, &value)) {
      *error = plan_error(-1, "--instrument", where + "'" + line + "' is not 'name = value'");
      return false;
    }
    const bool applied = options->instrument_configs.empty()
                             ? apply_run_setting(key, value, where, options, error)
                             : apply_section_setting(key, value, where, options, error);
    if (!applied) {
      return false;
    }
  }
  return true;
}
