#include "residues/token_reader.h"

namespace {

bool is_blank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

TokenRead read_token(std::FILE* file, char* field, size_t size, size_t* length) {
  size_t kept = 0;
  size_t total = 0;
  int c = std::getc(file);
  while (c != EOF && is_blank(c)) {
    c = std::getc(file);
  }
  while (c != EOF && !is_blank(c)) {
    if (kept + 1 < size) {
      field[kept++] = static_cast<char>(c);
    }
    ++total;
    c = std::getc(file);
  }
  field[kept] = '\0';
  *length = total;
  if (c != EOF) {
    std::ungetc(c, file);
  }
  if (std::ferror(file)) {
    return TokenRead::kError;
  }
  return total > 0 ? TokenRead::kToken : TokenRead::kEnd;
}
