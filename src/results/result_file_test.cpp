#include "results/result_file.h"

#include <csignal>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "test_util.h"

#if defined(__linux__)
#include <sys/resource.h>
#endif

namespace {

FileNames names_for(const char* directory, const char* base_name) {
  FileNames names{};
  std::snprintf(names.directory, sizeof names.directory, "%s", directory);
  std::snprintf(names.base_name, sizeof names.base_name, "%s", base_name);
  return names;
}

SampleSettings settings_for(const char* d2o, const char* ratio) {
  SampleSettings settings{};
  settings.deuterated_answer[0] = ratio == nullptr ? 'n' : 'y';
  std::snprintf(settings.d2o_text, sizeof settings.d2o_text, "%s", d2o);
  std::snprintf(settings.deuteration_text, sizeof settings.deuteration_text, "%s",
                ratio == nullptr ? "" : ratio);
  derive_fractions(&settings);
  return settings;
}

}  // namespace

TEST(MakeResultName, FromTypedTexts) {
  struct Case {
    const char* directory;
    const char* base_name;
    const char* d2o;
    const char* ratio;  // null: not deuterated
    const char* name;   // empty: refused
  };
  const std::string base90(90, 'b');
  const Case cases[] = {
      {"data/", "lys", "7.5", "70", "data/lys_7.5_70D.DAT"},
      // 98 characters fit; with "_70D" the name would not, and is refused.
      {"", base90.c_str(), "100", nullptr, "bbbb"},
      {"", base90.c_str(), "100", "70", ""},
  };
  for (const Case& c : cases) {
    FileNames names = names_for(c.directory, c.base_name);
    EXPECT_EQ(c.name[0] != '\0', make_result_name(&names, settings_for(c.d2o, c.ratio)));
    EXPECT_EQ(0u, std::string(names.result_path).find(c.name)) << names.result_path;
  }
}

#if defined(__linux__)
// A write that fails part way (here: past the file size limit, as on a full disk) is
// an error, and the earlier result stays whole.
TEST(WriteResultFile, FailedWriteKeepsTheEarlierFile) {
  ScopedTempDir dir;
  write_file("agk_40.DAT", "earlier result\n");
  FileNames names = names_for("", "agk");
  const SampleSettings settings = settings_for("40", nullptr);
  ASSERT_TRUE(make_result_name(&names, settings));
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = 200;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limited);
  const ResultWrite written = write_result_file(names, settings, ScatteringTotals{});
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(ResultWrite::kWriteFailed, written);
  EXPECT_EQ("earlier result\n", read_file("agk_40.DAT"));
  EXPECT_FALSE(std::filesystem::exists("agk_40.DAT.part"));
}
#endif
