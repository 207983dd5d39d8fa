#include "text/text_format.h"

#include <cstdio>

std::string format_number(double value, NumberFormat format) {
  char buffer[400];  // %f of the largest double
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
