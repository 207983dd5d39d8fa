// Helpers shared by the tests: in-memory streams, files, and fresh temporary
// directories for the tests where a real path matters.
#ifndef QUORVANE_TESTS_TEST_UTIL_H_
#define QUORVANE_TESTS_TEST_UTIL_H_

#include <cstdio>
#include <filesystem>
#include <string>

// A temporary stream holding `bytes`, rewound; the caller closes it.
std::FILE* stream_with(const std::string& bytes);

// Everything written to `file` so far, from its start.
std::string read_all(std::FILE* file);

std::string read_file(const std::filesystem::path& path);
// `bytes` as one gzip member (zlib, best compression).
std::string gzip_bytes(const std::string& bytes);
void write_file(const std::filesystem::path& path, const std::string& bytes);

// A fresh directory that the test works in; the previous working directory is
// restored and the directory removed when it goes out of scope.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

#endif  // QUORVANE_TESTS_TEST_UTIL_H_
