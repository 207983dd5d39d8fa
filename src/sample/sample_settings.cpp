#include "sample/sample_settings.h"

#include <cmath>
#include <cstdlib>

bool is_deuterated(const SampleSettings& settings) {
  return settings.deuterated_answer[0] == 'y' || settings.deuterated_answer[0] == 'Y';
}

bool parse_percent(const char* text, double* percent) {
  const char* p = text;
  if (*p == '+' || *p == '-') {
    ++p;
  }
  // strtod alone would also take hexadecimal, infinity and not-a-number spellings;
  // a decimal number starts with a digit or a point and a digit.
  const auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!is_digit(p[0]) && !(p[0] == '.' && is_digit(p[1]))) {
    return false;
  }
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
    return false;
  }
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (*end != '\0' || !(value >= 0.0 && value <= 100.0)) {
    return false;
  }
  *percent = value;
  return true;
}

void derive_fractions(SampleSettings* settings) {
  double percent = 0.0;
  settings->deuteration_percent =
      parse_percent(settings->deuteration_text, &percent) ? percent : 0.0;
  settings->d2o_percent = parse_percent(settings->d2o_text, &percent) ? percent : 0.0;
  settings->deuteration_fraction = settings->deuteration_percent / 100.0;
  settings->h2o_fraction = 1.0 - settings->d2o_percent / 100.0;
}
