#include "text/roff_text.h"

std::string roff_text(const std::string& text) {
  std::string out;
  bool line_start = true;
  for (char c : text) {
    if (line_start && (c == '.' || c == '\'')) {
      out += "\\&";
    }
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
    line_start = c == '\n';
  }
  return out;
}

std::string roff_page_head(const std::string& name, const std::string& version,
                           const std::string& summary) {
  std::string title;
  for (char c : name) {
    title += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  return ".TH " + roff_text(title) + " 1 \"\" \"quorvane " + roff_text(version) +
         "\" \"User Commands\"\n.SH NAME\n" + roff_text(name) + " \\- " + roff_text(summary) + "\n";
}
