// Bytes and whitespace-delimited tokens from a C stream, for the residue files and the
// keyboard alike. The stream is read in chunks, so that reading a long file costs
// little more than copying it; a keyboard is read a byte at a time, so that nothing
// is taken from it before it is needed.
#ifndef QUORVANE_IO_BYTE_READER_H_
#define QUORVANE_IO_BYTE_READER_H_

#include <cstddef>
#include <cstdio>

// Reads `file` through `buffer`, `capacity` bytes at a time: a large buffer for a
// file, one byte for a keyboard. Owns neither; the caller opens and closes `file`.
struct ByteReader {
  std::FILE* file;
  unsigned char* buffer;
  size_t capacity;
  size_t position;
  size_t end;
  bool failed;  // the stream reported a read error
};

inline ByteReader start_reading(std::FILE* file, unsigned char* buffer, size_t capacity) {
  return ByteReader{file, buffer, capacity, 0, 0, false};
}

// Refills the buffer; false at the end of the stream or on an error.
bool refill(ByteReader* reader);

// The next byte, or EOF at the end of the stream or on an error (see `failed`).
inline int next_byte(ByteReader* reader) {
  if (reader->position == reader->end && !refill(reader)) {
    return EOF;
  }
  return reader->buffer[reader->position++];
}

// The C locale's white space: blank, tab, line end, carriage return, vertical tab,
// form feed.
inline bool is_blank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// At the start of a stream: steps over a UTF-8 byte-order mark, which editors on
// Windows put before the text and which would otherwise be read as part of the first
// entry.
void skip_byte_order_mark(ByteReader* reader);

enum class TokenRead {
  kToken,  // a token was read; the stream may have reached its end right after it
  kEnd,    // the stream ended before any token byte
  kError,  // the stream reported a read error
};

// Skips white space, then reads the token up to the next white space or the end of
// the stream. The whole token is consumed whatever its length: `field` (of `size`
// bytes, at least 1) keeps its first size - 1 bytes and a terminating zero, and
// `*length` gets the full length, so the caller can tell a token too long for its
// field instead of silently cutting it. Zero bytes inside the token are kept and
// counted. The white space after the token is consumed.
TokenRead read_token(ByteReader* reader, char* field, size_t size, size_t* length);

#endif  // QUORVANE_IO_BYTE_READER_H_
