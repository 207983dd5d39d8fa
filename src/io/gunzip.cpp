#include "io/gunzip.h"

#if defined(QUORVANE_HAVE_ZLIB)
#include <zlib.h>
#endif

bool is_gzip(const std::string& bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1f &&
         static_cast<unsigned char>(bytes[1]) == 0x8b;
}

#if defined(QUORVANE_HAVE_ZLIB)

GunzipStatus gunzip(const std::string& bytes, std::string* text, std::string* detail) {
  text->clear();
  z_stream stream{};
  // 16 + MAX_WBITS: gzip only, with its header and its CRC-32 and length checked.
  if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) {
    *detail = "zlib could not start";
    return GunzipStatus::kDamaged;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  char buffer[1 << 16];
  GunzipStatus status = GunzipStatus::kOk;
  for (;;) {
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = sizeof buffer;
    const int result = inflate(&stream, Z_NO_FLUSH);
    text->append(buffer, sizeof buffer - stream.avail_out);
    if (result == Z_STREAM_END) {
      // gzip allows several members one after the other, as `cat a.gz b.gz` makes.
      if (stream.avail_in == 0) {
        break;
      }
      inflateReset(&stream);
      continue;
    }
    if (result == Z_OK) {
      continue;
    }
    if (result == Z_BUF_ERROR && stream.avail_in == 0) {
      status = GunzipStatus::kCutShort;
    } else {
      status = GunzipStatus::kDamaged;
      *detail = stream.msg != nullptr ? stream.msg : "zlib error " + std::to_string(result);
    }
    break;
  }
  inflateEnd(&stream);
  return status;
}

#else

GunzipStatus gunzip(const std::string&, std::string* text, std::string* detail) {
  text->clear();
  *detail = "this build reads no gzipped files";
  return GunzipStatus::kUnsupported;
}

#endif

bool gunzip_file(const std::string& bytes, const std::string& name, std::string* text,
                 std::string* error) {
  std::string detail;
  switch (gunzip(bytes, text, &detail)) {
    case GunzipStatus::kOk:
      return true;
    case GunzipStatus::kCutShort:
      *error = name + ": the gzip stream ends early: the file is cut short; copy it again";
      return false;
    case GunzipStatus::kDamaged:
      *error = name + ": is damaged: its gzip data do not hold (" + detail + "); copy it again";
      return false;
    case GunzipStatus::kUnsupported:
      break;
  }
  *error = name + ": is gzipped and " + detail + "; decompress it first (gunzip)";
  return false;
}
