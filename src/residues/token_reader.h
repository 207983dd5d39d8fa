// Whitespace-delimited tokens from a C stream, read without a length limit but stored
// in a bounded field, for the residue file and the keyboard alike.
#ifndef QUORVANE_RESIDUES_TOKEN_READER_H_
#define QUORVANE_RESIDUES_TOKEN_READER_H_

#include <cstddef>
#include <cstdio>

enum class TokenRead {
  kToken,  // a token was read; the stream may have reached its end right after it
  kEnd,    // the stream ended before any token byte
  kError,  // the stream reported a read error
};

// Skips white space (the C locale's: blank, tab, line end, carriage return, vertical
// tab, form feed), then reads the token up to the next white space or the end of the
// stream. The whole token is consumed whatever its length: `field` (of `size` bytes,
// at least 1) keeps its first size - 1 bytes and a terminating zero, and `*length`
// gets the full length, so the caller can tell a token too long for its field instead
// of silently cutting it. Zero bytes inside the token are kept and counted. The white
// space after the token is left unread.
TokenRead read_token(std::FILE* file, char* field, size_t size, size_t* length);

#endif  // QUORVANE_RESIDUES_TOKEN_READER_H_
