#include "io/byte_reader.h"

bool refill(ByteReader* reader) {
  reader->position = 0;
  reader->end = std::fread(reader->buffer, 1, reader->capacity, reader->file);
  if (reader->end == 0 && std::ferror(reader->file)) {
    reader->failed = true;
  }
  return reader->end > 0;
}

TokenRead read_token(ByteReader* reader, char* field, size_t size, size_t* length) {
  size_t kept = 0;
  size_t total = 0;
  int c = next_byte(reader);
  while (c != EOF && is_blank(c)) {
    c = next_byte(reader);
  }
  while (c != EOF && !is_blank(c)) {
    if (kept + 1 < size) {
      field[kept++] = static_cast<char>(c);
    }
    ++total;
    c = next_byte(reader);
  }
  field[kept] = '\0';
  *length = total;
  if (reader->failed) {
    return TokenRead::kError;
  }
  return total > 0 ? TokenRead::kToken : TokenRead::kEnd;
}
