#include "dialogue/dialogue.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "dialogue/messages.h"
#include "residues/sequence_reader.h"
#include "residues/token_reader.h"
#include "results/result_file.h"
#include "scattering/scattering_totals.h"

namespace {

// Longest directory that still leaves room for a one-character name and ".DAT".
constexpr size_t MAX_DIRECTORY = PATH_FIELD - 1 - 1 - 4;
// How much of a refused answer a message repeats.
constexpr int SHOWN_CHARACTERS = 40;
// A data code is a small number; anything longer is a slip of the keyboard.
constexpr size_t DATA_CODE_FIELD = 24;

// One typed answer, read whole into a field with room to spare, so that an answer
// too long for its real field can be shown and refused rather than cut.
struct Answer {
  char text[PATH_FIELD + 28];
  size_t length;
};

bool read_answer(Console* console, Answer* answer) {
  // The questions stay buffered with the rest of the output until an answer is due.
  std::fflush(console->out);
  return read_token(console->in, answer->text, sizeof answer->text, &answer->length) ==
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
    if (fits(console, answer, PERCENT_FIELD, "percentage (such as 100 or 7.5)")) {
      std::memcpy(field, answer.text, answer.length + 1);
      return true;
    }
  }
}

bool ask_sample(Console* console, SampleSettings* settings) {
  if (!ask_choice(console, MSG_ASK_DEUTERATED, "yYNn", settings->deuterated_answer)) {
    return false;
  }
  if (is_deuterated(*settings)) {
    if (!ask_percent(console, MSG_ASK_DEUTERATION_RATIO, settings->deuteration_text)) {
      return false;
    }
    settings->deuteration_fraction = text_to_number(settings->deuteration_text) / 100.0;
  }
  if (!ask_percent(console, MSG_ASK_D2O, settings->d2o_text)) {
    return false;
  }
  const double x = text_to_number(settings->d2o_text) / 100.0;
  settings->h2o_fraction = 1.0 - x;
  settings->solvent_density = compute_solvent_density(x);
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

bool ask_data_code(Console* console, int* data_code) {
  Answer answer;
  for (;;) {
    std::fputs(MSG_ASK_DATA_CODE, console->out);
    if (!read_answer(console, &answer)) {
      return false;
    }
    if (fits(console, answer, DATA_CODE_FIELD, "data code (0, 1 or 2)")) {
      break;
    }
  }
  // The leading decimal integer, as the C library reads one; no number is code 0.
  const long code = std::strtol(answer.text, nullptr, 10);
  *data_code = code > INT_MAX ? INT_MAX : code < INT_MIN ? INT_MIN : static_cast<int>(code);
  std::fputs("\n", console->out);
  return true;
}

int input_ended(Console* console) {
  std::fflush(console->out);
  std::fputs(
      "quorvane: the keyboard input ended before the run was complete; no result was "
      "written.\n",
      console->err);
  return 1;
}

int refuse_residue_file(Console* console, const char* path, ReadStatus status,
                        const ReadProblem& problem) {
  std::fflush(console->out);
  switch (status) {
    case ReadStatus::kNotANumber:
      std::fprintf(console->err,
                   "quorvane: %s: entry %d, \"%s%s\", is not a residue number; the number code "
                   "takes whole numbers from 0 to 20. Nothing was calculated.\n",
                   path, static_cast<int>(problem.entry), problem.token,
                   problem.token_cut ? "..." : "");
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

}  // namespace

bool report_open(Console* console, const char* mode, const char* name, std::FILE* stream) {
  std::fputs("\n", console->out);
  if (stream == nullptr) {
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
    return input_ended(console);
  }
  std::FILE* file = std::fopen(names.input_path, "r");
  if (!report_open(console, "r", names.input_path, file)) {
    return 1;
  }
  int data_code = 0;
  if (!ask_data_code(console, &data_code)) {
    std::fclose(file);
    return input_ended(console);
  }
  auto seq = std::make_unique<Sequence>();
  ReadProblem problem{};
  const ReadStatus status = read_sequence(file, data_code, console->out, seq.get(), &problem);
  std::fclose(file);
  if (status != ReadStatus::kOk) {
    return refuse_residue_file(console, names.input_path, status, problem);
  }
  ScatteringTotals totals = compute_totals(*seq, settings, console->out);
  print_summary(&totals, settings, console->out);
  if (!write_result_file(console, &names, settings, totals)) {
    return 1;
  }
  // Everything is written by the closing prompt, so input that ends there loses
  // nothing and the run still counts as complete.
  confirm_end(console);
  return 0;
}
