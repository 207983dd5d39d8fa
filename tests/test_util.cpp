#include "test_util.h"

#include <cstdarg>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "dialogue/console.h"
#include "dialogue/dialogue.h"

std::FILE* stream_with(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) {
    return nullptr;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  return file;
}

std::string read_all(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, got);
  }
  return bytes;
}

std::string format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
  va_end(args);
  return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void copy_tree(const std::filesystem::path& from, const std::filesystem::path& to) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(from)) {
    const std::filesystem::path target = to / entry.path().lexically_relative(from);
    if (entry.is_directory()) {
      std::filesystem::create_directories(target);
    } else {
      std::filesystem::copy_file(entry.path(), target);
    }
  }
}

std::string as_text_file(const std::string& text) {
#if defined(_WIN32)
  std::string crlf;
  for (char c : text) {
    if (c == '\n') {
      crlf += '\r';
    }
    crlf += c;
  }
  return crlf;
#else
  return text;
#endif
}

void write_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

RunResult run_with_keyboard(const std::string& keyboard) {
  Console console{stream_with(keyboard), std::tmpfile(), std::tmpfile()};
  RunResult result;
  result.status = run_dialogue(&console);
  result.out = read_all(console.out);
  result.err = read_all(console.err);
  std::fclose(console.in);
  std::fclose(console.out);
  std::fclose(console.err);
  return result;
}

ScopedTempDir::ScopedTempDir() : previous_(std::filesystem::current_path()) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  do {
    path_ = std::filesystem::temp_directory_path() /
            ("quorvane-test-" + std::to_string(random() % 1000000000));
  } while (!std::filesystem::create_directory(path_));
  std::filesystem::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}
