// A small reader of XML documents into a tree, for the data files other programs write
// (canSAS 1D). It takes elements, attributes, text, comments, processing instructions
// and CDATA, and the five predefined entities and character references; a document
// type declaration or any other entity is refused, so that nothing is ever expanded
// or fetched.
#ifndef QUORVANE_TEXT_XML_READER_H_
#define QUORVANE_TEXT_XML_READER_H_

#include <string>
#include <utility>
#include <vector>

struct XmlElement {
  std::string name;  // without its namespace prefix (SASentry for cs:SASentry)
  std::vector<std::pair<std::string, std::string>> attributes;  // names likewise
  std::string text;  // the character data directly inside it, joined
  std::vector<XmlElement> children;
  int line = 0;  // where its start tag is
};

// The value of attribute `name`, or "" when it has none.
std::string xml_attribute(const XmlElement& element, const std::string& name);

// The children of `element` named `name`, in order.
std::vector<const XmlElement*> xml_children(const XmlElement& element, const std::string& name);

// Reads `bytes` into `*root`. False with `*error` ("line N: what was expected") for a
// document that is not well formed, is cut short, nests deeper than 64 elements, or
// declares a document type or an entity.
bool read_xml(const std::string& bytes, XmlElement* root, std::string* error);

#endif  // QUORVANE_TEXT_XML_READER_H_
