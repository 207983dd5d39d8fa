#include "text/xml_text.h"

#include <string>

#include <gtest/gtest.h>

// Labels come from file names and FASTA headers in any encoding; the SVG must parse.
TEST(XmlText, OnlyWellFormedXmlCharacters) {
  struct Case {
    std::string bytes, text;
  };
  const Case cases[] = {
      {"<a & \"b\">", "&lt;a &amp; &quot;b&quot;&gt;"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"\x8e"
       "c",
       "?c"},                              // Shift-JIS lead byte
      {"\xc0\xaf\xe0\x80\xaf", "?????"},   // overlong forms
      {"\xed\xa0\x80", "???"},             // a surrogate
      {"\xf4\x90\x80\x80", "????"},        // beyond U+10FFFF
      {"\xef\xbf\xbe\xef\xb7\x90", "??"},  // noncharacters U+FFFE, U+FDD0
      {std::string("a\0b\tc\x7f", 6), "a?b?c\x7f"},
      {"\xe2\x82", "??"},  // cut short
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, xml_text(c.bytes)) << c.bytes;
  }
  // A cut never splits a character: the euro sign (3 bytes) at the cut goes whole.
  EXPECT_EQ("ab...", xml_text_cut("ab\xe2\x82\xac"
                                  "defgh",
                                  7));
  EXPECT_EQ("abc", xml_text_cut("abc", 3));
}
