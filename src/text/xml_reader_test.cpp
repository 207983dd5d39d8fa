#include "text/xml_reader.h"

#include <string>

#include <gtest/gtest.h>

// A canSAS-like document: namespaces dropped from names, references resolved, CDATA and
// comments inside text, attributes in either quotes.
TEST(ReadXml, ElementsAttributesText) {
  const std::string doc =
      "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- a comment -->\n"
      "<cs:SASroot xmlns:cs=\"urn:cansas1d:1.1\" version='1.1'>\n"
      "  <cs:Title>a &lt;b&gt; &amp; &#233;&#x4E2D;<![CDATA[<raw>]]></cs:Title>\n"
      "  <Q unit=\"1/A\">0.01</Q><Q unit=\"1/nm\"/>\n"
      "</cs:SASroot>\n";
  XmlElement root;
  std::string error;
  ASSERT_TRUE(read_xml(doc, &root, &error)) << error;
  EXPECT_EQ("SASroot", root.name);
  EXPECT_EQ("1.1", xml_attribute(root, "version"));
  EXPECT_EQ(3, root.line);
  ASSERT_EQ(3u, root.children.size());
  EXPECT_EQ("a <b> & \xC3\xA9\xE4\xB8\xAD<raw>", root.children[0].text);
  const auto qs = xml_children(root, "Q");
  ASSERT_EQ(2u, qs.size());
  EXPECT_EQ("0.01", qs[0]->text);
  EXPECT_EQ("1/nm", xml_attribute(*qs[1], "unit"));
  EXPECT_EQ(5, qs[1]->line);
}

// What is refused, with the line it is on: nothing is expanded, nothing cut short or
// mismatched is taken for data.
TEST(ReadXml, Refusals) {
  std::string deep;
  for (int i = 0; i < 70; ++i) {
    deep += "<a>";
  }
  const struct {
    std::string doc;
    const char* message;
  } cases[] = {
      {"<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY x \"y\">]>\n<r>&x;</r>",
       "line 2: a document type or entity declaration"},
      {"<r>\n&x;</r>", "line 2: the entity &x;"},
      {"<r>&#1114112;</r>", "line 1: a character reference out of range"},
      {"<r><a></b></r>", "line 1: </b> closes <a>"},
      {"<r>\n<a>1</a>\n<a>2", "line 3: the file ends inside <a>"},
      {"<r a=1/>", "line 1: attribute a of <r> has no quoted value"},
      {"<r/><s/>", "line 1: more after the document's element"},
      {"", "line 1: no element"},
      {deep, "elements nested deeper than 64"},
  };
  for (const auto& c : cases) {
    XmlElement root;
    std::string error;
    EXPECT_FALSE(read_xml(c.doc, &root, &error)) << c.doc;
    EXPECT_EQ(0u, error.find(c.message) == std::string::npos ? 1u : 0u) << error;
  }
}
