#include "text/xml_text.h"

#include <cstdint>

namespace {

// The code point of the well-formed UTF-8 sequence at text[i] and its length, or
// length 0 when there is none: a lead byte out of place, a missing continuation, an
// overlong form, a surrogate or a code point beyond U+10FFFF.
size_t utf8_decode(const std::string& text, size_t i, uint32_t* code_point) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  const size_t length = lead < 0x80                   ? 1
                        : lead >= 0xc2 && lead < 0xe0 ? 2
                        : lead >= 0xe0 && lead < 0xf0 ? 3
                        : lead >= 0xf0 && lead < 0xf5 ? 4
                                                      : 0;
  if (length == 0 || i + length > text.size()) {
    return 0;
  }
  uint32_t value = length == 1 ? lead : lead & (0x7f >> length);
  for (size_t k = i + 1; k < i + length; ++k) {
    if ((byte(k) & 0xc0) != 0x80) {
      return 0;
    }
    value = value << 6 | (byte(k) & 0x3f);
  }
  static const uint32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < SMALLEST[length] || value > 0x10ffff || (value >= 0xd800 && value <= 0xdfff)) {
    return 0;
  }
  *code_point = value;
  return length;
}

// Characters XML 1.0 allows in text, less the noncharacters, which no label needs.
bool is_xml_character(uint32_t c) {
  if (c < 0x20) {
    return false;  // tab and line ends too: a label is one line
  }
  if (c >= 0xfdd0 && c <= 0xfdef) {
    return false;
  }
  return (c & 0xfffe) != 0xfffe;
}

}  // namespace

std::string xml_text(const std::string& text) {
  std::string escaped;
  for (size_t i = 0; i < text.size();) {
    uint32_t c = 0;
    const size_t length = utf8_decode(text, i, &c);
    if (length == 0 || !is_xml_character(c)) {
      escaped += '?';
      i += length == 0 ? 1 : length;
      continue;
    }
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped.append(text, i, length);
    }
    i += length;
  }
  return escaped;
}

std::string xml_text_cut(const std::string& text, size_t bytes) {
  if (text.size() <= bytes) {
    return xml_text(text);
  }
  size_t cut = bytes > 3 ? bytes - 3 : 0;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xc0) == 0x80) {
    --cut;
  }
  return xml_text(text.substr(0, cut)) + "...";
}

std::string printable_text(const std::string& text) {
  std::string shown;
  for (size_t i = 0; i < text.size();) {
    uint32_t c = 0;
    const size_t length = utf8_decode(text, i, &c);
    if (length == 0 || c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0)) {
      static const char HEX[] = "0123456789ABCDEF";
      const auto byte = static_cast<unsigned char>(text[i]);
      shown += "\\x";
      shown += HEX[byte >> 4];
      shown += HEX[byte & 15];
      ++i;
      continue;
    }
    shown.append(text, i, length);
    i += length;
  }
  return shown;
}
