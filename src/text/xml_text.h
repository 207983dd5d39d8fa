// Text for XML (the SVG plots): whatever bytes a label holds (labels come from file
// names and FASTA headers), the result is well-formed XML character data.
#ifndef QUORVANE_TEXT_XML_TEXT_H_
#define QUORVANE_TEXT_XML_TEXT_H_

#include <string>

// `text` with markup escaped and every byte sequence that is not a well-formed UTF-8
// encoding of a character XML allows (controls, surrogates, overlong forms, beyond
// U+10FFFF, noncharacters) replaced by '?'.
std::string xml_text(const std::string& text);

// `text` cut to at most `bytes` bytes (then "..." added), never inside a UTF-8
// sequence, and made XML text.
std::string xml_text_cut(const std::string& text, size_t bytes);

// `text` for a message line on a terminal: every byte that is not part of printable
// UTF-8 (controls, line ends, a broken or overlong sequence) written as \xNN, so that
// a name or an entry read from a file can neither garble the terminal nor hide.
std::string printable_text(const std::string& text);

#endif  // QUORVANE_TEXT_XML_TEXT_H_
