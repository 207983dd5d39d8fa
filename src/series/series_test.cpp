#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "series/series_command.h"
#include "series/series_options.h"
#include "series/svg_plot.h"
#include "test_util.h"

TEST(ParseSeriesOptions, RefusesBadUsage) {
  struct Case {
    std::vector<const char*> args;
    const char* error;
  };
  const Case cases[] = {
      {{}, "no component given; name at least one sequence file (see --help)"},
      {{"--frobnicate", "a"}, "unknown option '--frobnicate'; see --help"},
      {{"a", "--step"}, "option '--step' needs a value; see --help"},
      {{"-d", "120", "a"}, "option '-d': '120' is not a percentage from 0 to 100"},
      {{"--copies=1.5", "a"},
       "option '--copies': '1.5' is not a whole number of copies from 1 "
       "to 1000000"},
      {{"-c", "four", "a"},
       "option '-c': 'four' is not a code (three, one, number, fasta or structure)"},
      {{"--to", "150", "a"}, "option '--to': '150' is not a D2O percentage from 0 to 100"},
      {{"--from", "-5", "a"}, "option '--from': '-5' is not a D2O percentage from 0 to 100"},
      {{"--step", "0", "a"}, "option '--step': '0' is not a step above 0"},
      {{"--from", "60", "--to", "40", "a"},
       "the D2O range runs backwards: --from must not exceed --to"},
      {{"--step", "0.0099", "a"}, "the D2O range has more than 10001 points; use a larger --step"},
      {{"a", "-n", "2"}, "component options at the end name no file; put them before their FILE"},
      {{"--formula", "C12H22O11"},
       "--formula C12H22O11 needs its volume: give --volume or --density"},
      {{"--volume", "9", "a"}, "--labile, --volume and --density describe a --formula component"},
      {{"-t", "dna", "--disulfides", "1", "a"}, "--disulfides applies to protein components only"},
      {{"-t", "rna", "--deuterate", "A,T=50", "a"},
       "--deuterate: 'T' is no nucleotide letter (A, C, G, T or U) of this component"},
      {{"--deuterate", "LEU", "a"},
       "option '--deuterate': 'LEU' is not KINDS=PCT, such as LEU,ILE=100"},
      {{"--chains", "A,,B", "a.pdb"}, "option '--chains': 'A,,B' is not chain names such as A,B"},
      {{"--plot", "i0", "a"}, "--plot i0 needs the sample's concentration: give --conc"},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = c.args;
    argv.insert(argv.begin(), "quorvane-series");
    SeriesOptions options;
    std::string error;
    EXPECT_EQ(ParseResult::kUsageError,
              parse_series_options(static_cast<int>(argv.size()), argv.data(), &options, &error))
        << c.error;
    EXPECT_EQ(c.error, error);
  }
}

// Counted steps, and the last point is the end itself: 0.1 three times is not 0.3.
TEST(D2oPercentages, LastPointExact) {
  struct Case {
    double from, to, step;
    size_t points;
    double last;
  };
  const Case cases[] = {{0, 0.3, 0.1, 4, 0.3},
                        {0, 100, 10, 11, 100},
                        {0, 100, 0.01, 10001, 100},
                        {5, 5, 1, 1, 5},
                        {0, 95, 10, 10, 90}};
  for (const Case& c : cases) {
    SeriesOptions options;
    options.from = c.from;
    options.to = c.to;
    options.step = c.step;
    const std::vector<double> points = d2o_percentages(options);
    EXPECT_EQ(c.points, points.size()) << c.to << " by " << c.step;
    EXPECT_EQ(c.from, points.front());
    EXPECT_EQ(c.last, points.back()) << c.to << " by " << c.step;
  }
}

// Labels come from file names and FASTA headers in any encoding; the SVG must parse.
TEST(XmlText, OnlyWellFormedXmlCharacters) {
  struct Case {
    std::string bytes, text;
  };
  const Case cases[] = {
      {"<a & \"b\">", "&lt;a &amp; &quot;b&quot;&gt;"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"\x8e"
       "c",
       "?c"},                              // Shift-JIS lead byte
      {"\xc0\xaf\xe0\x80\xaf", "?????"},   // overlong forms
      {"\xed\xa0\x80", "???"},             // a surrogate
      {"\xf4\x90\x80\x80", "????"},        // beyond U+10FFFF
      {"\xef\xbf\xbe\xef\xb7\x90", "??"},  // noncharacters U+FFFE, U+FDD0
      {std::string("a\0b\tc\x7f", 6), "a?b?c\x7f"},
      {"\xe2\x82", "??"},  // cut short
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, xml_text(c.bytes)) << c.bytes;
  }
}

// Without --code, the code comes from the file's first entry: every example gives
// the same series.
TEST(RunSeries, GuessedCodesAgree) {
  std::string first;
  for (const char* name : {"lysozyme_3", "lysozyme_1", "lysozyme_n", "lysozyme_fasta"}) {
    const std::string path = std::string(QUORVANE_EXAMPLES_DIR) + "/" + name + ".DAT";
    const char* argv[] = {"quorvane-series", "--csv", "-l", "lysozyme", path.c_str()};
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(0, run_series(5, argv, out, stderr)) << name;
    const std::string csv = read_all(out);
    std::fclose(out);
    first = first.empty() ? csv : first;
    EXPECT_EQ(first, csv) << name;
  }
  EXPECT_NE(std::string::npos, first.find("lysozyme,1,129,0,0,-0.055871,3366.155972,"));
}
