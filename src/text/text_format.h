// Numbers and fields as the reports print them. Formats are chosen by style and
// precision rather than by printf strings, so that tables of columns can hold them.
#ifndef QUORVANE_TEXT_TEXT_FORMAT_H_
#define QUORVANE_TEXT_TEXT_FORMAT_H_

#include <string>

// How a number is written: fixed decimals (%.*f) or the shortest general form (%.*g).
struct NumberFormat {
  enum Style { kFixed, kGeneral } style;
  int precision;
};

std::string format_number(double value, NumberFormat format);

// `value` with `decimals` after the point: fixed(0.5, 2) is "0.50".
std::string fixed(double value, int decimals);

// The shortest form of a number a user typed: 70, 7.5, 0.001 (%g).
std::string shortest(double value);

// `text` right-aligned in `width` characters (longer text is kept whole).
std::string pad_left(const std::string& text, size_t width);
// `text` left-aligned in `width` characters.
std::string pad_right(const std::string& text, size_t width);

// A CSV field: quoted, with its quotes doubled, when it holds a comma, a quote or a
// line end (RFC 4180).
std::string csv_field(const std::string& text);

#endif  // QUORVANE_TEXT_TEXT_FORMAT_H_
