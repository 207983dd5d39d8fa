#include "series/series.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

struct SeriesRun {
  int status;
  std::string out;
  std::string err;
};

SeriesRun run_program(std::vector<const char*> args) {
  args.insert(args.begin(), "quorvane-series");
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  SeriesRun result;
  result.status = run_series(static_cast<int>(args.size()), args.data(), out, err);
  result.out = read_all(out);
  result.err = read_all(err);
  std::fclose(out);
  std::fclose(err);
  return result;
}

// The number of fields of a CSV row, commas inside quotes not counted.
size_t csv_fields(const std::string& row) {
  size_t fields = 1;
  bool quoted = false;
  for (char c : row) {
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      ++fields;
    }
  }
  return fields;
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

}  // namespace

// Bad usage exits 2, a file that cannot be used 1; either way one line on standard
// error and nothing on standard output.
TEST(RunSeries, Refusals) {
  ScopedTempDir dir;
  write_file("empty.DAT", "\n");
  write_file("letters.DAT", "GLY ALA\n");
  write_file("gly.DAT", "GLY\n");
  struct Case {
    std::vector<const char*> args;
    int status;
    const char* err;
  };
  const Case cases[] = {
      {{}, 2, "quorvane-series: no component given; name at least one residue file (see --help)\n"},
      {{"--frobnicate", "gly.DAT"},
       2,
       "quorvane-series: unknown option '--frobnicate'; see --help\n"},
      {{"gly.DAT", "--step"}, 2, "quorvane-series: option '--step' needs a value; see --help\n"},
      {{"-d", "120", "gly.DAT"},
       2,
       "quorvane-series: option '-d': '120' is not a percentage from 0 to 100\n"},
      {{"--copies=1.5", "gly.DAT"},
       2,
       "quorvane-series: option '--copies': '1.5' is not a whole number of copies from 1 to "
       "1000000\n"},
      {{"--code", "four", "gly.DAT"},
       2,
       "quorvane-series: option '--code': 'four' is not a code (three, one, number or fasta)\n"},
      {{"--from", "ten", "gly.DAT"},
       2,
       "quorvane-series: option '--from': 'ten' is not a number\n"},
      {{"--step", "0", "gly.DAT"},
       2,
       "quorvane-series: the D2O range needs --from <= --to and a --step above 0, with at most "
       "10001 points\n"},
      {{"gly.DAT", "-n", "2"},
       2,
       "quorvane-series: component options at the end name no file; put them before their "
       "FILE\n"},
      {{"gly.DAT", "missing.DAT"},
       1,
       "quorvane-series: missing.DAT: cannot be opened; check the name and the path\n"},
      {{"empty.DAT"},
       1,
       "quorvane-series: empty.DAT: holds no residues in the one-letter code; check the file or "
       "give its code with --code\n"},
      {{"-c", "number", "letters.DAT"},
       1,
       "quorvane-series: letters.DAT: entry 1, \"GLY\", is not a residue number; give the file's "
       "code with --code\n"},
      {{"--svg", "no/such/dir/plot.svg", "gly.DAT"},
       1,
       "quorvane-series: no/such/dir/plot.svg: cannot be written; check that its directory "
       "exists and is writable\n"},
  };
  for (const Case& c : cases) {
    const SeriesRun result = run_program(c.args);
    EXPECT_EQ(c.status, result.status) << c.err;
    EXPECT_EQ(c.err, result.err);
    EXPECT_EQ("", result.out) << c.err;
  }
  EXPECT_FALSE(std::filesystem::exists("no"));
  const SeriesRun help = run_program({"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("Usage: quorvane-series [OPTIONS]"));
  EXPECT_EQ("quorvane-series 1.0.0\n", run_program({"--version"}).out);
}

// The code comes from the extension or the first entry; all three codes of one
// protein give one and the same series.
TEST(RunSeries, CodesAgree) {
  const std::string dir = QUORVANE_EXAMPLES_DIR;
  std::string first;
  for (const char* name :
       {"lysozyme_3.DAT", "lysozyme_1.DAT", "lysozyme_n.DAT", "lysozyme_fasta.DAT"}) {
    const std::string path = dir + "/" + name;
    const SeriesRun result = run_program({"--csv", "-l", "lysozyme", path.c_str()});
    EXPECT_EQ(0, result.status) << name;
    if (first.empty()) {
      first = result.out;
    }
    EXPECT_EQ(first, result.out) << name;
  }
  EXPECT_NE(std::string::npos, first.find("lysozyme,1,129,0,0,-0.055871,3366.155972,"));
}

TEST(RunSeries, CsvIsRectangular) {
  ScopedTempDir dir;
  write_file("gly.DAT", "GLY\n");
  write_file("agk.DAT", "AGK\n");
  const SeriesRun result = run_program(
      {"--csv", "--step", "25", "-l", "odd, \"name\"", "gly.DAT", "-n", "2", "agk.DAT"});
  ASSERT_EQ(0, result.status);
  const std::vector<std::string> rows = split(result.out, '\n');
  // Header, 5 points for each of 2 components and the complex, and the final line end.
  ASSERT_EQ(1u + 3u * 5u + 1u, rows.size());
  EXPECT_EQ("", rows.back());
  const size_t fields = csv_fields(rows[0]);
  EXPECT_EQ(13u, fields);
  EXPECT_EQ(
      "\"odd, \"\"name\"\"\",1,1,0,0,-0.055871,17.243999,20.953857,75.066680,66.400002,"
      "0.259699,0.315570,58.99",
      rows[1]);
  for (size_t i = 2; i + 1 < rows.size(); ++i) {
    EXPECT_EQ(fields, csv_fields(rows[i])) << rows[i];
  }
  EXPECT_EQ(0u, rows[11].find("complex,3,7,,0,")) << rows[11];
}

TEST(RunSeries, TextReportsMatchPoints) {
  ScopedTempDir dir;
  write_file("gly.DAT", "GLY\n");
  write_file("agk.DAT", "ALA GLY LYS\n");
  const SeriesRun result = run_program({"gly.DAT", "-d", "100", "agk.DAT"});
  ASSERT_EQ(0, result.status);
  const size_t at = result.out.find("\nMatch points (contrast zero):\n");
  ASSERT_NE(std::string::npos, at);
  // The complex GLY + fully deuterated ALA-GLY-LYS, by hand as in the match-point
  // test: 120.11 %.
  EXPECT_EQ(
      "\nMatch points (contrast zero):\n"
      "  gly                    58.99 % D2O\n"
      "  agk                   132.99 % D2O  (outside 0-100 %: no solvent matches it)\n"
      "  complex               120.11 % D2O  (outside 0-100 %: no solvent matches it)\n",
      result.out.substr(at));
  EXPECT_NE(std::string::npos,
            result.out.find("\n   0.00    -0.055871          17.243999        20.953857"));
}

TEST(RunSeries, SvgPlot) {
  ScopedTempDir dir;
  write_file("gly.DAT", "GLY\n");
  write_file("plot.svg", "an earlier plot");
  // A label in another encoding must not break the XML: bytes that are not UTF-8 are
  // replaced.
  const SeriesRun result = run_program({"--svg", "plot.svg", "-l", "<gly & co>", "gly.DAT", "-l",
                                        "\x8e"
                                        "c\xc3\xa9",
                                        "gly.DAT"});
  ASSERT_EQ(0, result.status);
  const std::string svg = read_file("plot.svg");
  EXPECT_EQ(0u, svg.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "));
  EXPECT_EQ("</svg>\n", svg.substr(svg.size() - 7));
  EXPECT_NE(std::string::npos, svg.find(">&lt;gly &amp; co&gt;</text>"));
  EXPECT_NE(std::string::npos, svg.find(">match 58.99 % D2O</text>"));
  EXPECT_NE(std::string::npos, svg.find(">?c\xc3\xa9</text>"));
  EXPECT_NE(std::string::npos, svg.find("D2O in the solvent (%)"));
  EXPECT_NE(std::string::npos, svg.find("<circle"));
  EXPECT_FALSE(std::filesystem::exists("plot.svg.part"));
}
