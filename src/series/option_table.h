// The planner's option table: one row per option, from which the parser, the help
// and the manual page are made. Shared by the files of series/ only.
#ifndef QUORVANE_SERIES_OPTION_TABLE_H_
#define QUORVANE_SERIES_OPTION_TABLE_H_

#include <functional>
#include <string>
#include <vector>

#include "plan/plan_options.h"

// The values an option takes, and how a message names them.
struct Range {
  double low, high;
  bool above_low;  // low itself is refused
  bool whole;
  const char* expected;

  bool contains(double v) const;
};

// The ranges an instrument file's sections take as the command line does.
extern const Range FLUX, APERTURE, WAVELENGTH, SPREAD;

// Sets the option's field from `value` ("" for a flag). Returns "" when it fits, else
// what the value must be.
using Setter =
    std::function<std::string(const std::string& value, SeriesOptions* run, ComponentSpec* next)>;

// What an option's value is, for a caller that gives typed values (Python, the page)
// rather than words: it checks the type before the value is written as the command
// line would write it.
enum class ValueKind {
  kFlag,        // no value
  kNumber,      // one number
  kNumberList,  // numbers, written a,b,c
  kWord,        // a name or a choice
  kWordList,    // names, written A,B
  kPath,        // a file or folder
  kPairs,       // NAME=VALUE, once per item (repeated options, --uncertainty's list)
};

struct OptionRow {
  const char* short_name;  // null: none
  const char* long_name;
  const char* value_name;  // null: a flag
  std::string help;        // lines after the first are continued under it
  bool per_component;      // describes the next FILE or --formula
  Setter set;
  ValueKind kind = ValueKind::kWord;
};

// Every option of the planner, in the order the help lists them.
const std::vector<OptionRow>& option_table();

// The row of a long or short option name, or nullptr.
const OptionRow* find_row(const std::string& name);

// Whether `name` (with its dashes) is a setting of the beamtime estimate, which turns
// it on and which an --instrument file may give; and those settings' names.
bool is_instrument_setting(const std::string& name);
std::vector<std::string> instrument_setting_names();

// The keyword a typed caller gives an option by: its long name without the dashes,
// hyphens as underscores, "from_" for --from (a word Python keeps for itself).
std::string keyword_of(const OptionRow& row);

// How a caller names the options a message names.
struct OptionWords {
  std::function<std::string(const OptionRow&)> name;  // an option by its row
  bool value_names;  // "--q-max Q" as name=Q; else the value's name left out
  std::string help;  // what "--help" becomes; empty: pointers to the help left out
};

// `message` with each option it names ("--q-max", "-l") in the caller's words.
std::string in_words(const std::string& message, const OptionWords& words);

// `message` in a typed caller's words: each option as its keyword, "--q-max Q" as
// "q_max=Q", and "--help" as the module's help.
std::string in_keywords(const std::string& message);

// A comma-separated list of words, none of them empty; false when one is.
bool split_list(const std::string& text, std::vector<std::string>* words);

// Applies an --uncertainty value (exchange=5,volume=2) to `run`; "" when it fits, else
// what it must be.
std::string set_uncertainty(const std::string& v, SeriesOptions* run);

#endif  // QUORVANE_SERIES_OPTION_TABLE_H_
