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

// A message shows every byte it quotes: printable UTF-8 as it is, anything else as
// \xNN, so a control byte cannot move the cursor nor a broken sequence vanish.
TEST(PrintableText, EscapesWhatATerminalWouldNotShow) {
  struct Case {
    const char* text;
    const char* shown;
  };
  const Case cases[] = {
      {"GLY", "GLY"},
      {"\xc3\x85ngstr\xc3\xb6m", "\xc3\x85ngstr\xc3\xb6m"},  // Å and ö stay
      {"a\tb\nc\x7f", "a\\x09b\\x0Ac\\x7F"},
      {"\x1b[2J", "\\x1B[2J"},     // an escape sequence
      {"\xff\xfe", "\\xFF\\xFE"},  // no UTF-8 at all
      {"\xc0\xaf", "\\xC0\\xAF"},  // an overlong '/'
      {"\xe2\x82", "\\xE2\\x82"},  // a sequence cut short
      {"\xc2\x85", "\\xC2\\x85"},  // a C1 control, next line
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.shown, printable_text(c.text)) << c.text;
  }
}
