// Gzipped bytes, checked whole: a stream cut short or failing its check is refused
// rather than read as far as it goes.
#ifndef QUORVANE_IO_GUNZIP_H_
#define QUORVANE_IO_GUNZIP_H_

#include <string>

// True when `bytes` start with the gzip signature.
bool is_gzip(const std::string& bytes);

enum class GunzipStatus {
  kOk,
  kCutShort,     // the stream ends before its end marker and check
  kDamaged,      // the data or its check does not hold
  kUnsupported,  // this build has no zlib
};

// Decompresses every gzip member of `bytes` into `*text`; on a failure `*detail` says
// what zlib found.
GunzipStatus gunzip(const std::string& bytes, std::string* text, std::string* detail);

#endif  // QUORVANE_IO_GUNZIP_H_
