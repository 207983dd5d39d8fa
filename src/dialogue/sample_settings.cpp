#include "dialogue/sample_settings.h"

#include <cstdlib>

bool is_deuterated(const SampleSettings& settings) {
  return settings.deuterated_answer[0] == 'y' || settings.deuterated_answer[0] == 'Y';
}

double text_to_number(const char* text) {
  const char* p = text;
  if (*p == '+' || *p == '-') {
    ++p;
  }
  const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!is_digit(p[0]) && !(p[0] == '.' && is_digit(p[1]))) {
    return 0.0;
  }
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    return 0.0;  // the decimal number "0", not a hexadecimal one
  }
  // What remains starts with a decimal digit, which is the only form in which strtod
  // reads a decimal number and nothing else.
  return std::strtod(text, nullptr);
}
