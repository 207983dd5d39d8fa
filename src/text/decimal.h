// Numbers as a person types them. strtod alone also takes hexadecimal (0x32, 1p5),
// infinities, not-a-number and leading blanks: a typo would become a plausible value.
#ifndef QUORVANE_TEXT_DECIMAL_H_
#define QUORVANE_TEXT_DECIMAL_H_

#include <cstddef>
#include <string>

// The length of the plain decimal number at the start of `text`: an optional sign,
// digits with at most one point (at least one digit), and an optional exponent
// (e or E, an optional sign, digits). 0 when `text` does not start with one.
size_t decimal_length(const char* text);

// True, with `*value`, when the whole of `text` is a plain decimal number of finite
// value; leaves `*value` alone otherwise.
bool parse_decimal(const std::string& text, double* value);

#endif  // QUORVANE_TEXT_DECIMAL_H_
