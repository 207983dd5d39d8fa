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

// Decompresses the file `name` holds; false with `*error`, one line naming the file and
// what to do, when it is cut short, damaged or this build cannot decompress.
bool gunzip_file(const std::string& bytes, const std::string& name, std::string* text,
                 std::string* error);

#endif  // QUORVANE_IO_GUNZIP_H_
