// Fuzzes a whole run in-process: the input is the keyboard, a zero byte, then the
// residue file, which lies in a private directory as "r.DAT" (the keyboard must name
// it). Path separators in the keyboard are replaced, so that no run writes outside
// that directory. Checks that every file the run leaves is either the residue file
// or a complete result file, that no temporary file is left, and that a run with
// status 0 wrote its result.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "dialogue/console.h"
#include "dialogue/dialogue.h"

namespace fs = std::filesystem;

namespace {

constexpr char TRAILER[] = "   calculated by Quorvane1";

void check(bool condition, const char* what, const std::string& detail = "") {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s %s\n", what, detail.c_str());
    std::abort();
  }
}

// The last bytes of a file, as many as `tail` holds, and whether they are `tail`.
bool ends_with(const fs::path& path, const std::string& tail) {
  std::string bytes(tail.size(), '\0');
  std::FILE* file = std::fopen(path.c_str(), "rb");
  const bool read = file != nullptr &&
                    std::fseek(file, -static_cast<long>(tail.size()), SEEK_END) == 0 &&
                    std::fread(&bytes[0], 1, bytes.size(), file) == bytes.size();
  if (file != nullptr) {
    std::fclose(file);
  }
  return read && bytes == tail;
}

char private_directory[] = "/tmp/quorvane-run-fuzz-XXXXXX";

void remove_private_directory() {
  std::error_code ignored;
  fs::current_path("/", ignored);
  fs::remove_all(private_directory, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (mkdtemp(private_directory) == nullptr || chdir(private_directory) != 0) {
    std::abort();
  }
  std::atexit(remove_private_directory);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const auto& entry : fs::directory_iterator(".")) {
    fs::remove_all(entry.path());
  }
  const auto* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t keyboard_size = split == nullptr ? size : static_cast<size_t>(split - data);
  std::string keyboard(reinterpret_cast<const char*>(data), keyboard_size);
  for (char& c : keyboard) {
    if (c == '/' || c == '\\') {
      c = '_';
    }
  }
  std::string residues;
  if (split != nullptr) {
    residues.assign(reinterpret_cast<const char*>(split + 1), size - keyboard_size - 1);
  }
  std::FILE* file = std::fopen("r.DAT", "wb");
  std::fwrite(residues.data(), 1, residues.size(), file);
  std::fclose(file);

  Console console{fmemopen(keyboard.data(), keyboard.size(), "r"), std::fopen("/dev/null", "w"),
                  std::fopen("/dev/null", "w")};
  if (keyboard.empty()) {
    console.in = std::fopen("/dev/null", "r");
  }
  const int status = run_dialogue(&console);
  std::fclose(console.in);
  std::fclose(console.out);
  std::fclose(console.err);

  check(status == 0 || status == 1, "exit status is 0 or 1");
  int results = 0;
  for (const auto& entry : fs::recursive_directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    if (name == "r.DAT" || !entry.is_regular_file()) {
      continue;
    }
    check(name.find(".part") == std::string::npos, "no temporary file is left:", name);
    check(ends_with(entry.path(), TRAILER), "result file is complete:", name);
    ++results;
  }
  check(status != 0 || results == 1, "a complete run wrote its result file");
  check(results <= 1, "at most one result file");
  return 0;
}
