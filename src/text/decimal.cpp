#include "text/decimal.h"

#include <cmath>
#include <cstdlib>

namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

size_t digits(const char* p) {
  size_t n = 0;
  while (is_digit(p[n])) {
    ++n;
  }
  return n;
}

}  // namespace

size_t decimal_length(const char* text) {
  size_t n = (text[0] == '+' || text[0] == '-') ? 1 : 0;
  const size_t whole = digits(text + n);
  n += whole;
  size_t fraction = 0;
  if (text[n] == '.') {
    fraction = digits(text + n + 1);
    n += 1 + fraction;
  }
  if (whole + fraction == 0) {
    return 0;
  }
  if (text[n] == 'e' || text[n] == 'E') {
    const size_t sign = (text[n + 1] == '+' || text[n + 1] == '-') ? 1 : 0;
    const size_t exponent = digits(text + n + 1 + sign);
    if (exponent > 0) {
      n += 1 + sign + exponent;
    }
  }
  return n;
}

bool parse_decimal(const std::string& text, double* value) {
  if (text.empty() || decimal_length(text.c_str()) != text.size()) {
    return false;
  }
  const double parsed = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(parsed)) {
    return false;
  }
  *value = parsed;
  return true;
}
