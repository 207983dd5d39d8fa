// The user's answers for one run and the file names built from them, shared by the
// dialogue, the calculation and the result file.
#ifndef QUORVANE_DIALOGUE_SAMPLE_SETTINGS_H_
#define QUORVANE_DIALOGUE_SAMPLE_SETTINGS_H_

#include <cstddef>

// Each typed answer keeps its exact text: the result file's name is built from it.
constexpr size_t ANSWER_FIELD = 2;   // y, Y, N or n
constexpr size_t PERCENT_FIELD = 4;  // up to three characters: 100, 7.5
constexpr size_t PATH_FIELD = 100;   // up to 99 characters
constexpr const char* RESIDUE_EXTENSION = ".DAT";

struct SampleSettings {
  char deuterated_answer[ANSWER_FIELD];
  char deuteration_text[PERCENT_FIELD];  // empty when the sample is not deuterated
  char d2o_text[PERCENT_FIELD];
  double deuteration_fraction;  // d: the non-exchangeable hydrogens that are deuterium
  double h2o_fraction;          // h: 1 - D2O percentage / 100
  float solvent_density;        // fm per cubic angstrom
};

struct FileNames {
  char directory[PATH_FIELD];  // ends in its own separator; empty: the current directory
  char base_name[PATH_FIELD];  // as typed, without extension
  char input_path[PATH_FIELD];
  char result_path[PATH_FIELD];
};

// True for the answers y and Y; every part of the program asks it the same way.
bool is_deuterated(const SampleSettings& settings);

// The longest leading decimal number of `text` (sign, digits, point, exponent), 0 when
// there is none. Unlike atof it takes no hexadecimal, infinity or not-a-number
// spellings, so a typed "nan" is 0 like any other text that is not a number.
double text_to_number(const char* text);

#endif  // QUORVANE_DIALOGUE_SAMPLE_SETTINGS_H_
