#include "dialogue/dialogue.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "expected_texts.h"
#include "test_util.h"

using namespace expected;

namespace {

const char INPUT_ENDED[] =
    "quorvane: the keyboard input ended before the run was complete; no result was written.\n";

// From the file-is line to the data-code question, for a residue file that opens.
std::string opened(const char* path) {
  return format(FILE_IS, path) + "\n" + format(OPENED_READ, path) + ASK_DATA_CODE + "\n";
}

std::string start_of(const std::string& text, size_t size) {
  return text.substr(0, size);
}

}  // namespace

TEST(RunDialogue, WholeRun) {
  SKIP_UNLESS_SHIFT_JIS();
  ScopedTempDir dir;
  write_file("lys.DAT", "GLY\n");
  const RunResult run = run_with_keyboard("N\n0\ny\nlys\n0\ny\n");
  EXPECT_EQ(std::string(ASK_DEUTERATED) + ASK_D2O + PATH_CURRENT + NAME_ENTER + opened("lys.DAT") +
                GLY_IN_H2O + "\n" + format(OPENED_WRITE, "lys_0.DAT") + ASK_END,
            run.out);
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.err);
  EXPECT_TRUE(std::filesystem::exists("lys_0.DAT"));
}

TEST(RunDialogue, DeuterationQuestion) {
  SKIP_UNLESS_SHIFT_JIS();
  ScopedTempDir dir;
  write_file("lys.DAT", "GLY\n");
  struct Case {
    const char* keyboard;
    std::string start;
  };
  const Case cases[] = {
      {"n\n0\ny\nlys\n0\ny\n", std::string(ASK_DEUTERATED) + ASK_D2O + PATH_CURRENT},
      {"yes\nY\n50\n0\ny\nlys\n0\ny\n",
       std::string(ASK_DEUTERATED) + ASK_DEUTERATED + ASK_RATIO + ASK_D2O + PATH_CURRENT},
      {"nN\nx\nYY\ny\n0\n0\ny\nlys\n0\ny\n", std::string(ASK_DEUTERATED) + ASK_DEUTERATED +
                                                 ASK_DEUTERATED + ASK_DEUTERATED + ASK_RATIO +
                                                 ASK_D2O + PATH_CURRENT},
  };
  for (const Case& c : cases) {
    const RunResult run = run_with_keyboard(c.keyboard);
    EXPECT_EQ(c.start, start_of(run.out, c.start.size())) << c.keyboard;
    EXPECT_EQ(0, run.status) << c.keyboard;
  }
}

TEST(AskInputFile, PathDialogue) {
  SKIP_UNLESS_SHIFT_JIS();
  ScopedTempDir dir;
  std::filesystem::create_directory("data");
  write_file("sample.DAT", "GLY\n");
  write_file("data/sample.DAT", "GLY\n");
  write_file("datasample.DAT", "GLY\n");
  struct Case {
    const char* keyboard;
    std::string dialogue;  // from the path question to the data-code question
  };
  const Case cases[] = {
      {"N\n0\ny\nsample\n0\ny\n", std::string(PATH_CURRENT) + NAME_ENTER + opened("sample.DAT")},
      {"N\n0\nN\ndata/\ny\nsample\n0\ny\n", std::string(PATH_CURRENT) + PATH_ENTER + PATH_IS +
                                                "data/\n" + PATH_OK + NAME_ENTER +
                                                opened("data/sample.DAT")},
      // No separator is added: the path is used as typed.
      {"N\n0\nN\ndata\ny\nsample\n0\ny\n", std::string(PATH_CURRENT) + PATH_ENTER + PATH_IS +
                                               "data\n" + PATH_OK + NAME_ENTER +
                                               opened("datasample.DAT")},
      // Anything but y or Y at either question asks for the path again.
      {"N\n0\nyes\nwrong/\nN\ndata/\nY\nsample\n0\ny\n",
       std::string(PATH_CURRENT) + PATH_ENTER + PATH_IS + "wrong/\n" + PATH_OK + PATH_ENTER +
           PATH_IS + "data/\n" + PATH_OK + NAME_ENTER + opened("data/sample.DAT")},
  };
  for (const Case& c : cases) {
    const RunResult run = run_with_keyboard(c.keyboard);
    const std::string want = std::string(ASK_DEUTERATED) + ASK_D2O + c.dialogue + GLY_IN_H2O;
    EXPECT_EQ(want, start_of(run.out, want.size())) << c.keyboard;
    EXPECT_EQ(0, run.status) << c.keyboard;
  }
}

TEST(RunDialogue, MissingResidueFile) {
  SKIP_UNLESS_SHIFT_JIS();
  ScopedTempDir dir;
  const RunResult run = run_with_keyboard("N\n0\nN\nnowhere/\ny\nlys\n0\ny\n");
  EXPECT_EQ(std::string(ASK_DEUTERATED) + ASK_D2O + PATH_CURRENT + PATH_ENTER + PATH_IS +
                "nowhere/\n" + PATH_OK + NAME_ENTER + format(FILE_IS, "nowhere/lys.DAT") + "\n" +
                format(OPEN_FAILED, "nowhere/lys.DAT"),
            run.out);
  EXPECT_EQ(1, run.status);
  EXPECT_EQ("", run.err);
}

TEST(ConfirmEnd, RepeatsUntilYes) {
  SKIP_UNLESS_SHIFT_JIS();
  ScopedTempDir dir;
  write_file("lys.DAT", "GLY\n");
  const RunResult run = run_with_keyboard("N\n0\ny\nlys\n0\nn\nyes\nN\nY\n");
  const std::string end = std::string(GLY_IN_H2O) + "\n" + format(OPENED_WRITE, "lys_0.DAT") +
                          ASK_END + ASK_END + ASK_END + ASK_END;
  ASSERT_LE(end.size(), run.out.size());
  EXPECT_EQ(end, run.out.substr(run.out.size() - end.size()));
  EXPECT_EQ(0, run.status);
}

// Answers too long for their field are refused, never cut, and asked again.
TEST(RunDialogue, RefusesAnswersTooLong) {
  SKIP_UNLESS_SHIFT_JIS();
  ScopedTempDir dir;
  const std::string path95(95, 'p');
  const std::string path94 = std::string(93, 'q') + "/";
  const std::string name94(94, 'n');
  const std::string name93(93, 'n');
  std::filesystem::create_directory("d");
  std::filesystem::create_directory(path94);
  write_file("lys.DAT", "GLY\n");
  write_file(path94 + "x.DAT", "GLY\n");
  write_file("d/" + name93 + ".DAT", "GLY\n");
  struct Case {
    std::string keyboard;
    std::string dialogue;  // what follows the deuteration question
    int status;            // 1 where the result file's name then is too long
  };
  const auto path_refused = [&](const std::string& path) {
    return Case{"N\n0\nN\n" + path + "\n" + path94 + "\ny\nx\n0\ny\n",
                std::string(ASK_D2O) + PATH_CURRENT + PATH_ENTER + "\"" + std::string(40, 'p') +
                    "...\" is too long for a path (it needs room for the file name): at most 94 "
                    "characters fit. Please type it again.\n" +
                    PATH_ENTER + PATH_IS + path94 + "\n" + PATH_OK + NAME_ENTER +
                    opened((path94 + "x.DAT").c_str()),
                1};
  };
  const Case cases[] = {
      {"N\n1000\n0\ny\nlys\n0\ny\n",
       std::string(ASK_D2O) +
           "\"1000\" is too long for a percentage (such as 100 or 7.5): at most 3 characters "
           "fit. Please type it again.\n" +
           ASK_D2O + PATH_CURRENT + NAME_ENTER + opened("lys.DAT"),
       0},
      {"Y\n12.5\n0\n0\ny\nlys\n0\ny\n",
       std::string(ASK_RATIO) +
           "\"12.5\" is too long for a percentage (such as 100 or 7.5): at most 3 characters "
           "fit. Please type it again.\n" +
           ASK_RATIO + ASK_D2O + PATH_CURRENT + NAME_ENTER + opened("lys.DAT"),
       0},
      // 95 characters, and more than the answer buffer itself holds: both too long.
      path_refused(path95),
      path_refused(std::string(300, 'p')),
      {"N\n0\nN\nd/\ny\n" + name94 + "\n" + name93 + "\n0\ny\n",
       std::string(ASK_D2O) + PATH_CURRENT + PATH_ENTER + PATH_IS + "d/\n" + PATH_OK + NAME_ENTER +
           "\"" + std::string(40, 'n') +
           "...\" is too long for a file name in this path (with .DAT, 99 characters in all): "
           "at most 93 characters fit. Please type it again.\n" +
           NAME_ENTER + opened(("d/" + name93 + ".DAT").c_str()),
       1},
      {"N\n0\ny\nlys\n" + std::string(30, '0') + "\n0\ny\n",
       std::string(ASK_D2O) + PATH_CURRENT + NAME_ENTER + format(FILE_IS, "lys.DAT") + "\n" +
           format(OPENED_READ, "lys.DAT") + ASK_DATA_CODE + "\"" + std::string(30, '0') +
           "\" is too long for a data code (0, 1 or 2): at most 23 characters fit. Please type "
           "it again.\n" +
           ASK_DATA_CODE + "\n",
       0},
  };
  for (const Case& c : cases) {
    const RunResult run = run_with_keyboard(c.keyboard);
    const std::string want = ASK_DEUTERATED + c.dialogue;
    EXPECT_EQ(want, start_of(run.out, want.size())) << c.keyboard;
    EXPECT_EQ(c.status, run.status) << c.keyboard;
  }
}

// The keyboard input may end at any question: before the result it is an error, at
// the closing prompt everything is done.
TEST(RunDialogue, InputEndsEarly) {
  ScopedTempDir dir;
  write_file("lys.DAT", "GLY\n");
  struct Case {
    const char* keyboard;
    int status;
    const char* err;
  };
  const Case cases[] = {
      {"", 1, INPUT_ENDED},
      {"yes\n", 1, INPUT_ENDED},
      {"Y\n", 1, INPUT_ENDED},
      {"Y\n50\n", 1, INPUT_ENDED},
      {"N\n0\n", 1, INPUT_ENDED},
      {"N\n0\nN\n", 1, INPUT_ENDED},
      {"N\n0\nN\n./\n", 1, INPUT_ENDED},
      {"N\n0\ny\n", 1, INPUT_ENDED},
      {"N\n0\ny\nlys\n", 1, INPUT_ENDED},
      {"N\n0\ny\nlys\n0\n", 0, ""},
      {"N\n0\ny\nlys\n0\nn\n", 0, ""},
  };
  for (const Case& c : cases) {
    const RunResult run = run_with_keyboard(c.keyboard);
    EXPECT_EQ(c.status, run.status) << c.keyboard;
    EXPECT_EQ(c.err, run.err) << c.keyboard;
  }
}

// A data code that names no code reads nothing and reports a count of -1; a code
// that is not a number is code 0.
TEST(RunDialogue, DataCodes) {
  ScopedTempDir dir;
  write_file("lys.DAT", "GLY\n");
  const RunResult none = run_with_keyboard("N\n0\ny\nlys\n3\ny\n");
  EXPECT_NE(std::string::npos, none.out.find("\n\nAcid Total Number=-1\n"));
  EXPECT_EQ(std::string::npos, none.out.find("Acid=0"));
  EXPECT_EQ(0, none.status);
  const RunResult word = run_with_keyboard("N\n0\ny\nlys\nthree\ny\n");
  EXPECT_NE(std::string::npos, word.out.find(std::string("\n") + GLY_IN_H2O));
  EXPECT_EQ(0, word.status);
}
