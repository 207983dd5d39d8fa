#include "text/xml_reader.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int MAX_DEPTH = 64;

struct Cursor {
  const std::string& s;
  size_t at;
  int line;
  std::string* error;

  bool fail(const std::string& what) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
  }
  bool starts(const char* text) const { return s.compare(at, std::strlen(text), text) == 0; }
  void advance(size_t n) {
    for (size_t k = 0; k < n && at < s.size(); ++k) {
      line += s[at++] == '\n' ? 1 : 0;
    }
  }
  // Moves past `end`; false at the end of the document.
  bool skip_past(const char* end) {
    const size_t found = s.find(end, at);
    if (found == std::string::npos) {
      return false;
    }
    advance(found + std::strlen(end) - at);
    return true;
  }
  void skip_blanks() {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\n' || s[at] == '\r')) {
      advance(1);
    }
  }
};

bool is_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

std::string local_name(const std::string& name) {
  const size_t colon = name.find(':');
  return colon == std::string::npos ? name : name.substr(colon + 1);
}

void append_utf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Character data up to `stop`, its references resolved.
bool read_text(Cursor* c, char stop, std::string* out) {
  while (c->at < c->s.size() && c->s[c->at] != stop) {
    if (c->s[c->at] != '&') {
      *out += c->s[c->at];
      c->advance(1);
      continue;
    }
    const size_t semicolon = c->s.find(';', c->at);
    if (semicolon == std::string::npos || semicolon - c->at > 10) {
      return c->fail("an '&' that starts no reference; write &amp;");
    }
    const std::string ref = c->s.substr(c->at + 1, semicolon - c->at - 1);
    static const std::pair<const char*, char> NAMED[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
    bool known = false;
    for (const auto& [name, value] : NAMED) {
      if (ref == name) {
        *out += value;
        known = true;
      }
    }
    if (!known && ref.size() > 1 && ref[0] == '#') {
      const bool hex = ref[1] == 'x';
      uint32_t code = 0;
      for (size_t k = hex ? 2 : 1; k < ref.size(); ++k) {
        const char d = ref[k];
        const int v = d >= '0' && d <= '9'          ? d - '0'
                      : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                      : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                    : -1;
        if (v < 0 || code > 0x10FFFF) {
          return c->fail("a character reference that is no number: &" + ref + ";");
        }
        code = code * (hex ? 16 : 10) + static_cast<uint32_t>(v);
      }
      if (code == 0 || code > 0x10FFFF) {
        return c->fail("a character reference out of range: &" + ref + ";");
      }
      append_utf8(code, out);
      known = true;
    }
    if (!known) {
      return c->fail("the entity &" + ref + "; (only the five of XML itself are read)");
    }
    c->advance(semicolon + 1 - c->at);
  }
  return true;
}

bool read_name(Cursor* c, std::string* name) {
  const size_t start = c->at;
  while (c->at < c->s.size() && is_name_char(c->s[c->at])) {
    c->advance(1);
  }
  *name = c->s.substr(start, c->at - start);
  return !name->empty() || c->fail("a name was expected");
}

// Comments, processing instructions, CDATA and declarations between elements; false
// after a refusal (`*error` set), and `*none` true when nothing of that kind was next.
bool skip_markup(Cursor* c, std::string* text, bool* none) {
  *none = false;
  if (c->starts("<!--")) {
    return c->skip_past("-->") || c->fail("a comment that never ends");
  }
  if (c->starts("<?")) {
    return c->skip_past("?>") || c->fail("a processing instruction that never ends");
  }
  if (c->starts("<![CDATA[")) {
    c->advance(9);
    const size_t end = c->s.find("]]>", c->at);
    if (end == std::string::npos) {
      return c->fail("a CDATA section that never ends");
    }
    if (text != nullptr) {
      *text += c->s.substr(c->at, end - c->at);
    }
    c->advance(end + 3 - c->at);
    return true;
  }
  if (c->starts("<!")) {
    return c->fail(
        "a document type or entity declaration; such files are not read (nothing is expanded)");
  }
  *none = true;
  return true;
}

bool read_element(Cursor* c, int depth, XmlElement* e) {
  if (depth > MAX_DEPTH) {
    return c->fail("elements nested deeper than 64");
  }
  e->line = c->line;
  c->advance(1);  // '<'
  std::string raw;
  if (!read_name(c, &raw)) {
    return false;
  }
  e->name = local_name(raw);
  for (;;) {
    c->skip_blanks();
    if (c->at >= c->s.size()) {
      return c->fail("the file ends inside the tag <" + raw + ">; it may be cut short");
    }
    if (c->starts("/>")) {
      c->advance(2);
      return true;
    }
    if (c->s[c->at] == '>') {
      c->advance(1);
      break;
    }
    std::string name, value;
    if (!read_name(c, &name)) {
      return false;
    }
    c->skip_blanks();
    if (c->at >= c->s.size() || c->s[c->at] != '=') {
      return c->fail("attribute " + name + " of <" + raw + "> has no '=value'");
    }
    c->advance(1);
    c->skip_blanks();
    const char quote = c->at < c->s.size() ? c->s[c->at] : '\0';
    if (quote != '"' && quote != '\'') {
      return c->fail("attribute " + name + " of <" + raw + "> has no quoted value");
    }
    c->advance(1);
    if (!read_text(c, quote, &value)) {
      return false;
    }
    if (c->at >= c->s.size()) {
      return c->fail("the file ends inside an attribute; it may be cut short");
    }
    c->advance(1);
    e->attributes.emplace_back(local_name(name), value);
  }
  for (;;) {
    if (!read_text(c, '<', &e->text)) {
      return false;
    }
    if (c->at >= c->s.size()) {
      return c->fail("the file ends inside <" + raw + ">; it may be cut short");
    }
    if (c->starts("</")) {
      c->advance(2);
      std::string closing;
      if (!read_name(c, &closing)) {
        return false;
      }
      c->skip_blanks();
      if (closing != raw || c->at >= c->s.size() || c->s[c->at] != '>') {
        return c->fail("</" + closing + "> closes <" + raw + ">");
      }
      c->advance(1);
      return true;
    }
    bool none = false;
    if (!skip_markup(c, &e->text, &none)) {
      return false;
    }
    if (none) {
      e->children.emplace_back();
      if (!read_element(c, depth + 1, &e->children.back())) {
        return false;
      }
    }
  }
}

}  // namespace

std::string xml_attribute(const XmlElement& element, const std::string& name) {
  for (const auto& [key, value] : element.attributes) {
    if (key == name) {
      return value;
    }
  }
  return "";
}

std::vector<const XmlElement*> xml_children(const XmlElement& element, const std::string& name) {
  std::vector<const XmlElement*> found;
  for (const XmlElement& child : element.children) {
    if (child.name == name) {
      found.push_back(&child);
    }
  }
  return found;
}

bool read_xml(const std::string& bytes, XmlElement* root, std::string* error) {
  Cursor c{bytes, 0, 1, error};
  if (c.starts("\xEF\xBB\xBF")) {
    c.advance(3);
  }
  bool seen = false;
  for (;;) {
    c.skip_blanks();
    if (c.at >= bytes.size()) {
      return seen || c.fail("no element: the file is empty or holds no XML");
    }
    bool none = false;
    if (!skip_markup(&c, nullptr, &none)) {
      return false;
    }
    if (!none) {
      continue;
    }
    if (bytes[c.at] != '<' || seen) {
      return c.fail(seen ? "more after the document's element" : "text before the first element");
    }
    if (!read_element(&c, 0, root)) {
      return false;
    }
    seen = true;
  }
}
