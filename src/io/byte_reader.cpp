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

void skip_byte_order_mark(ByteReader* reader) {
  if (reader->position == reader->end && !refill(reader)) {
    return;
  }
  const unsigned char* b = reader->buffer + reader->position;
  if (reader->end - reader->position >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    reader->position += 3;
  }
}
