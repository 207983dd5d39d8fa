#include "measured/measured_guess.h"

#include <cctype>
#include <cstdlib>

namespace {

std::string lower(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return text;
}

bool digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The number that ends just before `end` in `text` (digits and one point), or -1.
double number_before(const std::string& text, size_t end) {
  size_t start = end;
  while (start > 0 && (digit(text[start - 1]) || text[start - 1] == '.')) {
    --start;
  }
  if (start == end || !digit(text[end - 1])) {
    return -1.0;
  }
  return std::strtod(text.substr(start, end - start).c_str(), nullptr);
}

// The number that starts at `start` in `text`, or -1.
double number_after(const std::string& text, size_t start) {
  size_t end = start;
  while (end < text.size() && (digit(text[end]) || text[end] == '.')) {
    ++end;
  }
  return end == start ? -1.0 : std::strtod(text.substr(start, end - start).c_str(), nullptr);
}

// Skips separators (space, _, -) backwards from `end`.
size_t skip_back(const std::string& text, size_t end) {
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '_' || text[end - 1] == '-')) {
    --end;
  }
  return end;
}
size_t skip_on(const std::string& text, size_t start) {
  while (start < text.size() && (text[start] == ' ' || text[start] == '_' || text[start] == '-')) {
    ++start;
  }
  return start;
}

bool percent(double v) {
  return v >= 0.0 && v <= 100.0;
}

// The D2O percentage `text` names: a number before "% d2o", "pc d2o" or "d2o", or after
// "d2o" ("d2o_10_percent"); "h2o" alone is 0 %. A whole name that is a number ("40")
// is that percentage.
bool d2o_of(const std::string& raw, bool whole_number, double* value) {
  const std::string text = lower(raw);
  if (whole_number) {
    const double v = number_after(text, 0);
    size_t end = 0;
    while (end < text.size() && (digit(text[end]) || text[end] == '.')) {
      ++end;
    }
    if (end == text.size() && percent(v)) {
      *value = v;
      return true;
    }
  }
  for (size_t at = text.find("d2o"); at != std::string::npos; at = text.find("d2o", at + 1)) {
    size_t end = skip_back(text, at);
    for (const char* word : {"%", "pc", "percent"}) {
      const std::string w = word;
      if (end >= w.size() && text.compare(end - w.size(), w.size(), w) == 0) {
        end = skip_back(text, end - w.size());
        break;
      }
    }
    double v = number_before(text, end);
    if (!percent(v)) {
      v = number_after(text, skip_on(text, at + 3));
    }
    if (percent(v)) {
      *value = v;
      return true;
    }
  }
  if (text.find("h2o") != std::string::npos && text.find("d2o") == std::string::npos) {
    *value = 0.0;
    return true;
  }
  return false;
}

// The concentration `text` names: a number before "mg/ml", "mgml" or "mg_ml".
bool conc_of(const std::string& raw, double* value) {
  const std::string text = lower(raw);
  for (const char* unit : {"mg/ml", "mgml", "mg_ml", "mg ml", "mg per ml"}) {
    for (size_t at = text.find(unit); at != std::string::npos; at = text.find(unit, at + 1)) {
      const double v = number_before(text, skip_back(text, at));
      if (v > 0.0 && v <= 1000.0) {
        *value = v;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

MeasuredGuess guess_measured(const std::string& name, const std::string& title) {
  MeasuredGuess g;
  const size_t slash = name.find_last_of("/\\");
  std::string stem = slash == std::string::npos ? name : name.substr(slash + 1);
  stem = stem.substr(0, stem.find('.') == 0 ? stem.size() : stem.rfind('.'));
  if (d2o_of(stem, true, &g.d2o)) {
    g.has_d2o = true;
    g.d2o_from = "the file's name";
  } else if (d2o_of(title, false, &g.d2o)) {
    g.has_d2o = true;
    g.d2o_from = "the file's title";
  }
  if (conc_of(stem, &g.conc)) {
    g.has_conc = true;
    g.conc_from = "the file's name";
  } else if (conc_of(title, &g.conc)) {
    g.has_conc = true;
    g.conc_from = "the file's title";
  }
  return g;
}
