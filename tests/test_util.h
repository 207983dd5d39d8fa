// Helpers shared by the tests: in-memory streams, whole in-process runs, and fresh
// temporary directories for the tests where a real path matters.
#ifndef QUORVANE_TESTS_TEST_UTIL_H_
#define QUORVANE_TESTS_TEST_UTIL_H_

#include <cstdio>
#include <filesystem>
#include <string>

// A temporary stream holding `bytes`, rewound; the caller closes it.
std::FILE* stream_with(const std::string& bytes);

// Everything written to `file` so far, from its start.
std::string read_all(std::FILE* file);

// printf into a std::string, for expected texts built from formats.
std::string format(const char* fmt, ...);

std::string read_file(const std::filesystem::path& path);
// Copies the files and folders below `from` into the existing directory `to`.
void copy_tree(const std::filesystem::path& from, const std::filesystem::path& to);

// The bytes a file written in text mode holds for `text`: on Windows every line end
// is CRLF.
std::string as_text_file(const std::string& text);
void write_file(const std::filesystem::path& path, const std::string& bytes);

struct RunResult {
  int status;
  std::string out;  // the transcript
  std::string err;
};

// One whole run of the dialogue in-process, answering from `keyboard`.
RunResult run_with_keyboard(const std::string& keyboard);

// A fresh directory that the test works in; the previous working directory is
// restored and the directory removed when it goes out of scope.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// Skips a test that compares Japanese texts when the build holds them in UTF-8.
#if defined(QUORVANE_CONSOLE_UTF8)
#define SKIP_UNLESS_SHIFT_JIS() GTEST_SKIP() << "the Japanese texts of this build are UTF-8"
#else
#define SKIP_UNLESS_SHIFT_JIS() static_cast<void>(0)
#endif

#endif  // QUORVANE_TESTS_TEST_UTIL_H_
