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
  std::snprintf(settings.d2o_text, sizeof settings.d2o_text, "%s", d2o);
  settings.deuterated_answer[0] = ratio == nullptr ? 'n' : 'y';
  if (ratio != nullptr) {
    std::snprintf(settings.deuteration_text, sizeof settings.deuteration_text, "%s", ratio);
  }
  return settings;
}

// ALA, GLY and LYS in 40 % D2O, deuterated with ratio 50 (the published figures).
ScatteringTotals agk_totals() {
  ScatteringTotals totals{};
  totals.residue_count = 3;
  totals.nonexchangeable_h = 15;
  totals.exchangeable_h = 6;
  totals.scattering_length = 152.516999;
  totals.contrast = 78.742463;
  totals.volume = 334.099998;
  totals.mass = 285.284181;
  totals.length_density = 0.456501;
  totals.contrast_density = 0.235685;
  return totals;
}

const char AGK_RESULT[] =
    "Imput file : agk.DAT\n"
    "Acid Total Number=3\n"
    "    Deuterated\n"
    "Deuteration ratio (%) = 50.000000\n"
    "D2O concentration (%) = 40.000000\n"
    "Total scattering length =152.516999 fm\n"
    "Total scattering contrast =78.742463 fm\n"
    "Total volume =334.099998 A^3\n"
    "Total Mw =285.284181 \n"
    "Total unExchangable Hydrogen =15\n"
    "Total Exchangable Hydrogen =6\n"
    "Scattering length density = 0.456501 fm/A^3\n"
    "Scattering contrast = 0.235685 fm/A^3\n"
    "Solvent scattering length density= 0.220816 fm/A^3\n"
    "   calculated by Quorvane1";

struct Written {
  bool ok;
  int status;
  std::string out;
  std::string err;
};

Written write_agk(FileNames* names) {
  SampleSettings settings = settings_for("40", "50");
  settings.solvent_density = compute_solvent_density(0.4);
  Console console{nullptr, std::tmpfile(), std::tmpfile()};
  Written written{};
  written.ok = write_result_file(&console, names, settings, agk_totals());
  written.out = read_all(console.out);
  written.err = read_all(console.err);
  std::fclose(console.out);
  std::fclose(console.err);
  return written;
}

}  // namespace

TEST(MakeResultName, FromTypedTexts) {
  struct Case {
    const char* directory;
    const char* base_name;
    const char* d2o;
    const char* ratio;  // null: not deuterated
    const char* name;
  };
  const Case cases[] = {
      {"", "sample", "100", nullptr, "sample_100.DAT"},
      {"", "sample", "100", "70", "sample_100_70D.DAT"},
      {"", "sample", "7.5", nullptr, "sample_7.5.DAT"},
      {"", "lys", "0", "0", "lys_0_0D.DAT"},
      {"data/", "lys", "abc", "", "data/lys_abc_D.DAT"},
  };
  for (const Case& c : cases) {
    FileNames names = names_for(c.directory, c.base_name);
    EXPECT_TRUE(make_result_name(&names, settings_for(c.d2o, c.ratio))) << c.name;
    EXPECT_STREQ(c.name, names.result_path);
  }
}

TEST(MakeResultName, RefusesNamesOver99Characters) {
  const std::string base(90, 'b');
  FileNames names = names_for("", base.c_str());
  // 90 + "_100" + ".DAT" is 98 characters and fits; with "_70D" it does not.
  EXPECT_TRUE(make_result_name(&names, settings_for("100", nullptr)));
  EXPECT_EQ(98u, std::string(names.result_path).size());
  EXPECT_FALSE(make_result_name(&names, settings_for("100", "70")));
  EXPECT_STREQ("", names.result_path);
}

TEST(WriteResultLines, ReportsAFullDisk) {
  std::FILE* full = std::fopen("/dev/full", "w");
  if (full == nullptr) {
    GTEST_SKIP() << "no /dev/full here";
  }
  FileNames names = names_for("", "agk");
  EXPECT_FALSE(write_result_lines(full, names, settings_for("40", "50"), agk_totals()));
  std::fclose(full);
}

TEST(WriteResultFile, WritesAndReplaces) {
  ScopedTempDir dir;
  write_file("agk_40_50D.DAT", "an earlier, longer result that must not leave a tail behind\n\n");
  FileNames names = names_for("", "agk");
  const Written written = write_agk(&names);
  EXPECT_TRUE(written.ok);
  EXPECT_EQ("", written.err);
  EXPECT_EQ(as_text_file(AGK_RESULT), read_file("agk_40_50D.DAT"));
  // Nothing but the residue-less directory's result file is left behind.
  EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator("."),
                             std::filesystem::directory_iterator()));
}

TEST(WriteResultFile, MissingDirectoryIsOpenFailed) {
  ScopedTempDir dir;
  FileNames names = names_for("missing/", "agk");
  const Written written = write_agk(&names);
  EXPECT_FALSE(written.ok);
  SKIP_UNLESS_SHIFT_JIS();
  EXPECT_EQ(
      "\nmissing/agk_40_50D.DAT\x82\xf0\x83I\x81[\x83v\x83\x93\x82\xc5\x82\xab\x82\xdc"
      "\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81"
      "B\n",
      written.out);
}

TEST(WriteResultFile, RefusesALongNameBeforeWriting) {
  ScopedTempDir dir;
  const std::string base(91, 'b');
  FileNames names = names_for("", base.c_str());
  const Written written = write_agk(&names);
  EXPECT_FALSE(written.ok);
  EXPECT_EQ("", written.out);
  EXPECT_EQ("quorvane: the result file's name (" + base +
                "_40...) would be longer than 99 characters; use a shorter path or residue file "
                "name. Nothing was written.\n",
            written.err);
  EXPECT_TRUE(std::filesystem::is_empty("."));
}

#if defined(__linux__)
// A write that fails part way (here: past the file size limit, as on a full disk)
// is an error, and the earlier result stays whole.
TEST(WriteResultFile, FailedWriteKeepsTheEarlierFile) {
  ScopedTempDir dir;
  write_file("agk_40_50D.DAT", "earlier result\n");
  FileNames names = names_for("", "agk");
  SampleSettings settings = settings_for("40", "50");
  Console console{nullptr, std::fopen("/dev/null", "w"), std::tmpfile()};
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit limited = saved;
  limited.rlim_cur = 200;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &limited);
  const bool ok = write_result_file(&console, &names, settings, agk_totals());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(ok);
  EXPECT_EQ(
      "quorvane: writing agk_40_50D.DAT failed (disk full or not writable?); any earlier file "
      "of that name is unchanged. Free space or choose another directory and run again.\n",
      read_all(console.err));
  EXPECT_EQ("earlier result\n", read_file("agk_40_50D.DAT"));
  EXPECT_FALSE(std::filesystem::exists("agk_40_50D.DAT.part"));
  std::fclose(console.out);
  std::fclose(console.err);
}
#endif
