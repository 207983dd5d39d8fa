#include "text/json_reader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int MAX_DEPTH = 64;

struct Parser {
  const std::string& s;
  size_t at;
  std::string* error;

  bool fail(const std::string& what) {
    *error = "at byte " + std::to_string(at) + ": " + what;
    return false;
  }
  void blanks() {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\n' || s[at] == '\r')) {
      ++at;
    }
  }
  bool literal(const char* word) {
    const std::string w = word;
    if (s.compare(at, w.size(), w) != 0) {
      return false;
    }
    at += w.size();
    return true;
  }
};

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

bool hex4(Parser* p, uint32_t* code) {
  if (p->at + 4 > p->s.size()) {
    return p->fail("a \\u escape cut short");
  }
  *code = 0;
  for (int k = 0; k < 4; ++k) {
    const char c = p->s[p->at++];
    const int v = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
    if (v < 0) {
      return p->fail("a \\u escape that is no hexadecimal number");
    }
    *code = *code * 16 + static_cast<uint32_t>(v);
  }
  return true;
}

bool read_string(Parser* p, std::string* out) {
  ++p->at;  // the opening quote
  while (p->at < p->s.size() && p->s[p->at] != '"') {
    const char c = p->s[p->at++];
    if (static_cast<unsigned char>(c) < 0x20) {
      return p->fail("a control character inside a string");
    }
    if (c != '\\') {
      *out += c;
      continue;
    }
    if (p->at >= p->s.size()) {
      break;
    }
    const char e = p->s[p->at++];
    const char* simple = "\"\\/bfnrt";
    const char* meaning = "\"\\/\b\f\n\r\t";
    bool done = false;
    for (int k = 0; simple[k] != '\0'; ++k) {
      if (e == simple[k]) {
        *out += meaning[k];
        done = true;
      }
    }
    if (done) {
      continue;
    }
    if (e != 'u') {
      return p->fail(std::string("an unknown escape \\") + e);
    }
    uint32_t code = 0;
    if (!hex4(p, &code)) {
      return false;
    }
    if (code >= 0xD800 && code < 0xDC00 && p->literal("\\u")) {
      uint32_t low = 0;
      if (!hex4(p, &low) || low < 0xDC00 || low >= 0xE000) {
        return p->fail("a surrogate pair broken");
      }
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    append_utf8(code, out);
  }
  if (p->at >= p->s.size()) {
    return p->fail("a string that never ends");
  }
  ++p->at;
  return true;
}

bool read_value(Parser* p, int depth, JsonValue* v) {
  if (depth > MAX_DEPTH) {
    return p->fail("values nested deeper than 64");
  }
  p->blanks();
  if (p->at >= p->s.size()) {
    return p->fail("a value was expected");
  }
  const char c = p->s[p->at];
  if (c == '"') {
    v->kind = JsonValue::Kind::kString;
    return read_string(p, &v->text);
  }
  if (c == '[' || c == '{') {
    const bool object = c == '{';
    v->kind = object ? JsonValue::Kind::kObject : JsonValue::Kind::kArray;
    ++p->at;
    p->blanks();
    if (p->at < p->s.size() && p->s[p->at] == (object ? '}' : ']')) {
      ++p->at;
      return true;
    }
    for (;;) {
      std::string name;
      if (object) {
        p->blanks();
        if (p->at >= p->s.size() || p->s[p->at] != '"' || !read_string(p, &name)) {
          return p->fail("a member's name was expected");
        }
        p->blanks();
        if (!p->literal(":")) {
          return p->fail("':' was expected");
        }
      }
      JsonValue item;
      if (!read_value(p, depth + 1, &item)) {
        return false;
      }
      if (object) {
        v->members.emplace_back(name, std::move(item));
      } else {
        v->items.push_back(std::move(item));
      }
      p->blanks();
      if (p->literal(",")) {
        continue;
      }
      if (p->literal(object ? "}" : "]")) {
        return true;
      }
      return p->fail(object ? "',' or '}' was expected" : "',' or ']' was expected");
    }
  }
  if (p->literal("true") || p->literal("false")) {
    v->kind = JsonValue::Kind::kBool;
    v->boolean = p->s[p->at - 1] == 'e' && p->s[p->at - 2] == 'u';
    return true;
  }
  if (p->literal("null")) {
    return true;
  }
  const char* start = p->s.c_str() + p->at;
  char* end = nullptr;
  v->number = std::strtod(start, &end);
  if (end == start) {
    return p->fail("a value was expected");
  }
  v->kind = JsonValue::Kind::kNumber;
  p->at += static_cast<size_t>(end - start);
  return true;
}

}  // namespace

const JsonValue* json_member(const JsonValue& object, const std::string& name) {
  for (const auto& [key, value] : object.members) {
    if (key == name) {
      return &value;
    }
  }
  return nullptr;
}

bool read_json(const std::string& text, JsonValue* value, std::string* error) {
  Parser p{text, 0, error};
  if (!read_value(&p, 0, value)) {
    return false;
  }
  p.blanks();
  return p.at == text.size() || p.fail("more after the value");
}

std::string json_quoted(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + "\"";
}
