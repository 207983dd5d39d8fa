#include "text/text_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::string format_number(double value, NumberFormat format) {
  if (std::isnan(value)) {
    return "nan";  // whatever its sign bit, which C libraries print differently
  }
  char buffer[400];  // %f of the largest double
#if defined(__cpp_lib_to_chars)
  // The standard's to_chars writes what printf writes in the C locale, several times
  // faster, which the curves' files of large models feel; libraries without it printf.
  const std::chars_format style = format.style == NumberFormat::kGeneral
                                      ? std::chars_format::general
                                      : std::chars_format::fixed;
  const std::to_chars_result end =
      std::to_chars(buffer, buffer + sizeof buffer, value, style, format.precision);
  if (end.ec == std::errc()) {
    return std::string(buffer, end.ptr);
  }
#endif
  if (format.style == NumberFormat::kGeneral) {
    std::snprintf(buffer, sizeof buffer, "%.*g", format.precision, value);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.*f", format.precision, value);
  }
  return buffer;
}

std::string fixed(double value, int decimals) {
  return format_number(value, {NumberFormat::kFixed, decimals});
}

std::string shortest(double value) {
  return format_number(value, {NumberFormat::kGeneral, 6});
}

std::string pad_left(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string pad_right(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + "\"";
}
