// The user's answers for one run, the numbers that follow from them, and the file
// names built from them: what the dialogue fills and the calculation and the result
// file read.
#ifndef QUORVANE_SAMPLE_SAMPLE_SETTINGS_H_
#define QUORVANE_SAMPLE_SAMPLE_SETTINGS_H_

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
  double deuteration_percent;   // deuteration_text as a number; 0 when not deuterated
  double d2o_percent;           // d2o_text as a number
  double deuteration_fraction;  // d: the non-exchangeable hydrogens that are deuterium
  double h2o_fraction;          // h: 1 - D2O percentage / 100
  float solvent_density;        // fm per cubic angstrom; set by the dialogue
};

struct FileNames {
  char directory[PATH_FIELD];  // ends in its own separator; empty: the current directory
  char base_name[PATH_FIELD];  // as typed, without extension
  char input_path[PATH_FIELD];
  char result_path[PATH_FIELD];
};

// True for the answers y and Y; every part of the program asks it the same way.
bool is_deuterated(const SampleSettings& settings);

// Reads a typed percentage: a whole decimal number (sign, digits, point, exponent:
// 100, 7.5, .5, 1e2) from 0 to 100. Returns false for anything else (abc, 50%, 150,
// -5, nan, inf, 0x8), so a typo can never become a plausible percentage.
bool parse_percent(const char* text, double* percent);

// Sets the percentages and fractions of `settings` from its typed texts, which
// parse_percent has accepted; an empty deuteration text is 0.
void derive_fractions(SampleSettings* settings);

#endif  // QUORVANE_SAMPLE_SAMPLE_SETTINGS_H_
