#include "text/json_reader.h"

#include <string>

#include <gtest/gtest.h>

// A request as the page's worker sends it: members in order, arrays, escapes (a
// surrogate pair among them), numbers and literals; and json_quoted reads back.
TEST(ReadJson, RequestAndRoundTrip) {
  JsonValue v;
  std::string error;
  ASSERT_TRUE(
      read_json(" {\"run\": [[\"--conc\", \"5\"]], \"curves\": true, \"n\": -1.5e2, \"x\": null,"
                " \"t\": \"a\\\"b\\\\c\\n\\u00e9\\ud83d\\ude00\"} ",
                &v, &error))
      << error;
  ASSERT_EQ(JsonValue::Kind::kObject, v.kind);
  const JsonValue* run = json_member(v, "run");
  ASSERT_NE(nullptr, run);
  ASSERT_EQ(1u, run->items.size());
  EXPECT_EQ("--conc", run->items[0].items[0].text);
  EXPECT_TRUE(json_member(v, "curves")->boolean);
  EXPECT_EQ(-150.0, json_member(v, "n")->number);
  EXPECT_EQ(JsonValue::Kind::kNull, json_member(v, "x")->kind);
  const std::string text = "a\"b\\c\n\xC3\xA9\xF0\x9F\x98\x80";
  EXPECT_EQ(text, json_member(v, "t")->text);
  EXPECT_EQ(nullptr, json_member(v, "missing"));
  JsonValue back;
  ASSERT_TRUE(read_json(json_quoted(text), &back, &error)) << error;
  EXPECT_EQ(text, back.text);
}

TEST(ReadJson, Refusals) {
  std::string deep(70, '[');
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"", "a value was expected"},         {"{\"a\" 1}", "':' was expected"},
      {"[1, 2", "',' or ']' was expected"}, {"\"abc", "a string that never ends"},
      {"\"\\q\"", "an unknown escape \\q"}, {"\"\\ud83d\\u0041\"", "a surrogate pair broken"},
      {"{} x", "more after the value"},     {deep, "values nested deeper than 64"}};
  for (const auto& c : cases) {
    JsonValue v;
    std::string error;
    EXPECT_FALSE(read_json(c.text, &v, &error)) << c.text;
    EXPECT_NE(std::string::npos, error.find(c.message)) << c.text << ": " << error;
  }
}
