#include "dialogue/dialogue.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "dialogue/messages.h"
#include "dialogue/residue_warnings.h"
#include "io/byte_reader.h"
#include "residues/sequence_reader.h"
#include "results/console_summary.h"
#include "results/result_file.h"
#include "sample/console_help.h"
#include "scattering/scattering_model.h"
#include "scattering/scattering_totals.h"
#include "text/xml_text.h"

namespace {

// Longest directory that still leaves room for a one-character name and ".DAT".
constexpr size_t MAX_DIRECTORY = PATH_FIELD - 1 - 1 - 4;
// How much of a refused answer a message repeats.
constexpr int SHOWN_CHARACTERS = 40;

// One typed answer, read whole into a field with room to spare, so that an answer
// too long for its real field can be shown and refused rather than cut.
struct Answer {
  char text[PATH_FIELD + 28];
  size_t length;
};

// False when the keyboard input has ended, or when the questions could not be shown:
// a user who cannot see them cannot answer them.
bool read_answer(Console* console, Answer* answer) {
  // The questions stay buffered with the rest of the output until an answer is due.
  if (std::fflush(console->out) != 0 || std::ferror(console->out)) {
    return false;
  }
  unsigned char byte = 0;
  ByteReader keyboard = start_reading(console->in, &byte, 1);
  return read_token(&keyboard, answer->text, sizeof answer->text, &answer->length) ==
         TokenRead::kToken;
}

const char* ellipsis(const Answer& answer) {
  return answer.length > static_cast<size_t>(SHOWN_CHARACTERS) ? "..." : "";
}

// Checks that `answer` fits a field of `field_size` bytes and holds no zero byte,
// which would cut it short when used; says what is wrong otherwise.
bool fits(Console* console, const Answer& answer, size_t field_size, const char* what) {
  const size_t kept = answer.length < sizeof answer.text ? answer.length : sizeof answer.text - 1;
  if (std::strlen(answer.text) != kept) {
    std::fprintf(console->out,
                 "The answer holds a zero byte, which no %s can contain. Please type it again.\n",
                 what);
    return false;
  }
  if (answer.length >= field_size) {
    std::fprintf(console->out,
                 "\"%.*s%s\" is too long for a %s: at most %d characters fit. Please type it "
                 "again.\n",
                 SHOWN_CHARACTERS, answer.text, ellipsis(answer), what,
                 static_cast<int>(field_size - 1));
    return false;
  }
  return true;
}

// Keeps asking `prompt` until the answer is one of `accepted` (single characters).
bool ask_choice(Console* console, const char* prompt, const char* accepted, char* field) {
  Answer answer;
  for (;;) {
    std::fputs(prompt, console->out);
    if (!read_answer(console, &answer)) {
      return false;
    }
    if (answer.length == 1 && answer.text[0] != '\0' &&
        std::strchr(accepted, answer.text[0]) != nullptr) {
      field[0] = answer.text[0];
      field[1] = '\0';
      return true;
    }
  }
}

bool ask_percent(Console* console, const char* prompt, char* field) {
  Answer answer;
  for (;;) {
    std::fputs(prompt, console->out);
    if (!read_answer(console, &answer)) {
      return false;
    }
    if (!fits(console, answer, PERCENT_FIELD, "percentage (such as 100 or 7.5)")) {
      continue;
    }
    double percent = 0.0;
    if (parse_percent(answer.text, &percent)) {
      std::memcpy(field, answer.text, answer.length + 1);
      return true;
    }
    std::fprintf(console->out,
                 "\"%s\" is not a percentage: type a number from 0 to 100, such as 100 or 7.5.\n",
                 answer.text);
  }
}

bool ask_sample(Console* console, SampleSettings* settings) {
  if (!ask_choice(console, MSG_ASK_DEUTERATED, "yYNn", settings->deuterated_answer)) {
    return false;
  }
  if (is_deuterated(*settings) &&
      !ask_percent(console, MSG_ASK_DEUTERATION_RATIO, settings->deuteration_text)) {
    return false;
  }
  if (!ask_percent(console, MSG_ASK_D2O, settings->d2o_text)) {
    return false;
  }
  derive_fractions(settings);
  settings->solvent_density = compute_solvent_density(settings->d2o_percent / 100.0);
  return true;
}

// Reads the path after path-enter until one fits.
bool ask_directory(Console* console, FileNames* names) {
  Answer answer;
  for (;;) {
    std::fprintf(console->out, MSG_PATH_ENTER, MSG_FILE_KIND);
    if (!read_answer(console, &answer)) {
      return false;
    }
    if (fits(console, answer, MAX_DIRECTORY + 1, "path (it needs room for the file name)")) {
      std::memcpy(names->directory, answer.text, answer.length + 1);
      return true;
    }
  }
}

bool ask_base_name(Console* console, FileNames* names) {
  Answer answer;
  const size_t room = PATH_FIELD - std::strlen(names->directory) - std::strlen(RESIDUE_EXTENSION);
  for (;;) {
    std::fprintf(console->out, MSG_NAME_ENTER, MSG_FILE_KIND, RESIDUE_EXTENSION);
    if (!read_answer(console, &answer)) {
      return false;
    }
    if (fits(console, answer, room, "file name in this path (with .DAT, 99 characters in all)")) {
      std::memcpy(names->base_name, answer.text, answer.length + 1);
      return true;
    }
  }
}

// Only the three codes are accepted: any other answer used to read nothing and
// report a count of -1 as if the run had worked.
bool ask_data_code(Console* console, DataCode* code) {
  Answer answer;
  for (;;) {
    std::fputs(MSG_ASK_DATA_CODE, console->out);
    if (!read_answer(console, &answer)) {
      return false;
    }
    if (answer.length == 1 && answer.text[0] >= '0' && answer.text[0] <= '2') {
      *code = static_cast<DataCode>(answer.text[0] - '0');
      std::fputs("\n", console->out);
      return true;
    }
    std::fprintf(console->out,
                 "\"%.*s%s\" is not a data code: type 0 (three-letter names), 1 (one-letter "
                 "codes) or 2 (table numbers).\n",
                 SHOWN_CHARACTERS, answer.text, ellipsis(answer));
  }
}

int run_stopped(Console* console) {
  if (std::ferror(console->out)) {
    std::fputs(
        "quorvane: writing the console output failed (disk full or pipe closed?); the run "
        "was stopped and no result was written.\n",
        console->err);
  } else {
    std::fputs(
        "quorvane: the keyboard input ended before the run was complete; no result was "
        "written.\n",
        console->err);
  }
  return 1;
}

int refuse_residue_file(Console* console, const char* path, ReadStatus status,
                        const ReadReport& report) {
  std::fflush(console->out);
  switch (status) {
    case ReadStatus::kNotANumber:
      std::fprintf(console->err,
                   "quorvane: %s: entry %d, \"%s%s\", is not a residue number; the number code "
                   "takes whole numbers from 0 to 20. Nothing was calculated.\n",
                   path, static_cast<int>(report.entry), printable_text(report.token).c_str(),
                   report.token_cut ? "..." : "");
      break;
    case ReadStatus::kTooManyResidues:
      std::fprintf(console->err,
                   "quorvane: %s holds more than %d residues, the most one run takes; split the "
                   "sequence into smaller files. Nothing was calculated.\n",
                   path, static_cast<int>(MAX_RESIDUES));
      break;
    case ReadStatus::kReadError:
    case ReadStatus::kOk:
      std::fprintf(console->err,
                   "quorvane: %s could not be read (is it a directory?); check the name and try "
                   "again. Nothing was calculated.\n",
                   path);
      break;
  }
  return 1;
}

bool write_result(Console* console, FileNames* names, const SampleSettings& settings,
                  const ScatteringTotals& totals) {
  if (!make_result_name(names, settings)) {
    std::fflush(console->out);
    std::fprintf(console->err,
                 "quorvane: the result file's name (%s%s_%s...) would be longer than %d "
                 "characters; use a shorter path or residue file name. Nothing was written.\n",
                 names->directory, names->base_name, settings.d2o_text,
                 static_cast<int>(PATH_FIELD - 1));
    return false;
  }
  const ResultWrite written = write_result_file(*names, settings, totals);
  if (written == ResultWrite::kIsInput) {
    std::fflush(console->out);
    std::fprintf(console->err,
                 "quorvane: the result file %s is the residue file %s itself (a link to it?); "
                 "nothing was written. Remove or rename that link and run again.\n",
                 names->result_path, names->input_path);
    return false;
  }
  if (!report_open(console, "w", names->result_path, written != ResultWrite::kCannotOpen)) {
    return false;
  }
  if (written == ResultWrite::kWriteFailed) {
    std::fflush(console->out);
    std::fprintf(console->err,
                 "quorvane: writing %s failed (disk full or not writable?); any earlier file of "
                 "that name is unchanged. Free space or choose another directory and run again.\n",
                 names->result_path);
    return false;
  }
  return true;
}

}  // namespace

bool report_open(Console* console, const char* mode, const char* name, bool opened) {
  std::fputs("\n", console->out);
  if (!opened) {
    std::fprintf(console->out, MSG_OPEN_FAILED, name);
    return false;
  }
  if (std::strcmp(mode, "r") == 0) {
    std::fprintf(console->out, MSG_OPENED_READ, name);
  } else if (std::strcmp(mode, "w") == 0) {
    std::fprintf(console->out, MSG_OPENED_WRITE, name);
  }
  return true;
}

bool ask_input_file(Console* console, FileNames* names) {
  if (names->directory[0] == '\0') {
    std::fprintf(console->out, MSG_PATH_CURRENT, MSG_FILE_KIND);
  } else {
    std::fprintf(console->out, MSG_PATH_IS, MSG_FILE_KIND);
    std::fprintf(console->out, "%s\n", names->directory);
    std::fputs(MSG_PATH_OK, console->out);
  }
  Answer answer;
  if (!read_answer(console, &answer)) {
    return false;
  }
  while (!(answer.length == 1 && (answer.text[0] == 'y' || answer.text[0] == 'Y'))) {
    if (!ask_directory(console, names)) {
      return false;
    }
    std::fprintf(console->out, MSG_PATH_IS, MSG_FILE_KIND);
    std::fprintf(console->out, "%s\n", names->directory);
    std::fputs(MSG_PATH_OK, console->out);
    if (!read_answer(console, &answer)) {
      return false;
    }
  }
  if (!ask_base_name(console, names)) {
    return false;
  }
  // The name question left room for the whole path; a cut here would open the
  // wrong file, so it is checked all the same.
  const int length = std::snprintf(names->input_path, sizeof names->input_path, "%s%s%s",
                                   names->directory, names->base_name, RESIDUE_EXTENSION);
  if (length < 0 || length >= static_cast<int>(sizeof names->input_path)) {
    return false;
  }
  std::fprintf(console->out, MSG_FILE_IS, names->input_path);
  return true;
}

bool confirm_end(Console* console) {
  char answer[ANSWER_FIELD];
  return ask_choice(console, MSG_ASK_END, "yY", answer);
}

int run_dialogue(Console* console) {
  SampleSettings settings{};
  FileNames names{};
  if (!ask_sample(console, &settings) || !ask_input_file(console, &names)) {
    return run_stopped(console);
  }
  std::FILE* file = std::fopen(names.input_path, "r");
  if (!report_open(console, "r", names.input_path, file != nullptr)) {
    return 1;
  }
  DataCode code = DataCode::kThreeLetter;
  if (!ask_data_code(console, &code)) {
    std::fclose(file);
    return run_stopped(console);
  }
  auto seq = std::make_unique<Sequence>();
  ReadReport report{};
  const ReadStatus status = read_sequence(file, code, console->out, seq.get(), &report);
  std::fclose(file);
  if (status != ReadStatus::kOk) {
    return refuse_residue_file(console, names.input_path, status, report);
  }
  std::fflush(console->out);
  warn_about_residues(console->err, names.input_path, code, report);
  const ScatteringTotals totals = compute_totals(
      *seq, settings.h2o_fraction, is_deuterated(settings) ? settings.deuteration_fraction : 0.0,
      settings.solvent_density, console->out);
  print_summary(totals, settings, console->out);
  // Printed and written as always, but a result of not-a-number densities is no
  // result: the run must not report success.
  const bool no_volume = !(totals.volume > 0.0);
  if (no_volume) {
    std::fflush(console->out);
    std::fprintf(console->err,
                 "quorvane: %s: no residue with a volume was read, so the densities are not "
                 "numbers; check the file and its data code.\n",
                 names.input_path);
  }
  if (!write_result(console, &names, settings, totals)) {
    return 1;
  }
  // Everything is written by the closing prompt, so input that ends there loses
  // nothing and the run still counts as complete.
  confirm_end(console);
  if (std::fflush(console->out) != 0 || std::ferror(console->out)) {
    std::fprintf(console->err,
                 "quorvane: writing the console output failed (disk full or pipe closed?); %s "
                 "was written, but what the console shows is incomplete.\n",
                 names.result_path);
    return 1;
  }
  return no_volume ? 1 : 0;
}

int run_quorvane(int argc, const char* const* argv, Console* console) {
  if (argc <= 1) {
    return run_dialogue(console);
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(console_usage().c_str(), console->out);
    return std::fflush(console->out) == 0 && !std::ferror(console->out) ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fprintf(console->out, "quorvane %s\n", QUORVANE_VERSION);
    return std::fflush(console->out) == 0 && !std::ferror(console->out) ? 0 : 1;
  }
  std::fprintf(console->err,
               "quorvane: unexpected argument '%s'; the program asks for everything it needs "
               "(see quorvane --help)\n",
               argv[1]);
  return 2;
}
