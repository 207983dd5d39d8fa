// Fuzzes the planner's command line: the input, split at line ends, is its arguments
// (up to 24), run in a private directory that holds a FASTA file, a three-letter file,
// a model and an instrument file with two configurations. Path separators are replaced, so that no
// run reads or writes outside that directory. Every run ends with status 0, 1 or 2, says why on its
// error stream when it is not 0, and leaves no temporary file.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "series/series_command.h"

namespace fs = std::filesystem;

namespace {

char private_directory[] = "/tmp/quorvane-series-fuzz-XXXXXX";
const char* const INPUTS[] = {"a.fasta", "b.DAT", "m.pdb", "i.txt"};

void check(bool condition, const char* what, const std::string& detail = "") {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s %s\n", what, detail.c_str());
    std::abort();
  }
}

void remove_private_directory() {
  std::error_code ignored;
  fs::current_path("/", ignored);
  fs::remove_all(private_directory, ignored);
}

void write(const char* name, const char* text) {
  std::FILE* file = std::fopen(name, "w");
  check(file != nullptr, "cannot write", name);
  std::fputs(text, file);
  std::fclose(file);
}

std::string read_all(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, got);
  }
  return text;
}

// Whether an argument names the file `name` as the program sees it: up to its first
// zero byte, and after the '=' of an inline value.
bool names(const std::string& word, const std::string& name) {
  const std::string seen(word.c_str());
  const size_t equals = seen.find('=');
  return seen == name || (seen.compare(0, 2, "--") == 0 && equals != std::string::npos &&
                          seen.substr(equals + 1) == name);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (mkdtemp(private_directory) == nullptr || chdir(private_directory) != 0) {
    std::abort();
  }
  std::atexit(remove_private_directory);
  write(INPUTS[0], ">A\nGAKWV\n>B\nMKLU\n");
  write(INPUTS[1], "GLY ALA LYS\n");
  write(INPUTS[2],
        "ATOM      1  CA  GLY A   1       0.000   0.000   0.000  1.00 20.00           C\n"
        "ATOM      2  CA  TRP A   2       3.800   0.000   0.000  1.00 20.00           C\n"
        "ATOM      3  CA  ALA A   3       3.800   3.800   0.000  1.00 20.00           C\n"
        "ATOM      4  P    DA B   1      10.000   0.000   0.000  1.00 20.00           P\n"
        "HETATM    5  S   SO4 A 101       5.000   5.000   5.000  1.00 20.00           S\n"
        "END\n");
  write(INPUTS[3], "flux = 1e6\n[near]\ndistance = 2\ncollimation = 4\n[far]\npixel = 8\n");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> words = {"quorvane-series"};
  std::string word;
  for (size_t i = 0; i < size && words.size() < 25; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '\n') {
      words.push_back(word);
      word.clear();
    } else {
      word += c == '/' || c == '\\' ? '_' : c;
    }
  }
  if (!word.empty() && words.size() < 25) {
    words.push_back(word);
  }
  std::vector<const char*> argv;
  for (const std::string& w : words) {
    argv.push_back(w.c_str());
  }
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  check(in != nullptr && out != nullptr && err != nullptr, "no temporary stream");
  std::fputs(">S\nGGKW\n", in);
  std::rewind(in);
  const int status =
      run_series(static_cast<int>(argv.size()), argv.data(), Streams{in, out, err, nullptr});
  const std::string errors = read_all(err);
  std::fclose(in);
  std::fclose(out);
  std::fclose(err);
  check(status == 0 || status == 1 || status == 2, "status", std::to_string(status));
  check(status == 0 || errors.rfind("quorvane-series: ", 0) == 0, "a failure without a reason",
        errors);
  // Leave only the inputs, so that every run starts alike; a temporary file left
  // behind is a fault.
  for (const auto& entry : fs::directory_iterator(".")) {
    const std::string name = entry.path().filename().string();
    // The writer's temporary names end in ".part" and perhaps a number; a file so named
    // that the run was not asked to write is one left behind.
    const size_t part = name.rfind(".part");
    const bool temporary = part != std::string::npos &&
                           name.find_first_not_of("0123456789", part + 5) == std::string::npos;
    check(!temporary || std::any_of(words.begin(), words.end(),
                                    [&](const std::string& word) { return names(word, name); }),
          "a temporary file was left", name);
    if (std::none_of(std::begin(INPUTS), std::end(INPUTS),
                     [&](const char* input) { return name == input; })) {
      std::error_code ignored;
      fs::remove_all(entry.path(), ignored);
    }
  }
  return 0;
}
