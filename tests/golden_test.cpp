// Whole runs, one per folder of tests/golden: input/ is copied into a fresh
// directory, keyboard.txt answers the questions, and the transcript (console.out,
// console.err), the exit status (status) and every file of expected/ must come out
// byte for byte, with nothing else left on disk.
#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_util.h"

namespace fs = std::filesystem;

namespace {

std::set<std::string> files_below(const fs::path& root) {
  std::set<std::string> files;
  if (!fs::exists(root)) {
    return files;
  }
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      files.insert(entry.path().lexically_relative(root).generic_string());
    }
  }
  return files;
}

}  // namespace

TEST(Golden, WholeRuns) {
  SKIP_UNLESS_SHIFT_JIS();
  std::vector<fs::path> cases;
  for (const auto& entry : fs::directory_iterator(QUORVANE_GOLDEN_DIR)) {
    cases.push_back(entry.path());
  }
  std::sort(cases.begin(), cases.end());
  ASSERT_LE(8u, cases.size());
  for (const fs::path& golden : cases) {
    const std::string name = golden.filename().string();
    ScopedTempDir dir;
    if (fs::exists(golden / "input")) {
      copy_tree(golden / "input", dir.path());
    }
    const RunResult run = run_with_keyboard(read_file(golden / "keyboard.txt"));
    EXPECT_EQ(read_file(golden / "console.out"), run.out) << name;
    EXPECT_EQ(read_file(golden / "console.err"), run.err) << name;
    EXPECT_EQ(std::stoi(read_file(golden / "status")), run.status) << name;
    std::set<std::string> want = files_below(golden / "input");
    for (const std::string& file : files_below(golden / "expected")) {
      EXPECT_EQ(as_text_file(read_file(golden / "expected" / file)), read_file(file))
          << name << ": " << file;
      want.insert(file);
    }
    EXPECT_EQ(want, files_below(dir.path())) << name;
  }
}
