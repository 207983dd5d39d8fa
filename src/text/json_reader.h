// A small reader of JSON text into a tree, for requests that callers build in
// JavaScript (the web page's worker). Strings are UTF-8 with their escapes resolved.
#ifndef QUORVANE_TEXT_JSON_READER_H_
#define QUORVANE_TEXT_JSON_READER_H_

#include <string>
#include <utility>
#include <vector>

struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0.0;
  std::string text;                                        // a string
  std::vector<JsonValue> items;                            // an array
  std::vector<std::pair<std::string, JsonValue>> members;  // an object, in order
};

// The member `name` of an object, or null when it has none (or is no object).
const JsonValue* json_member(const JsonValue& object, const std::string& name);

// Reads `text` into `*value`. False with `*error` ("at byte N: what was expected") for
// text that is not one JSON value, or nests deeper than 64.
bool read_json(const std::string& text, JsonValue* value, std::string* error);

// `text` as a JSON string, quotes included.
std::string json_quoted(const std::string& text);

#endif  // QUORVANE_TEXT_JSON_READER_H_
