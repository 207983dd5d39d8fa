#include "series/series_options.h"

#include "series/configurations.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

ParseResult parse(std::vector<const char*> args, SeriesOptions* options, PlanError* error) {
  args.insert(args.begin(), "quorvane-series");
  return parse_series_options(static_cast<int>(args.size()), args.data(), options, error);
}

}  // namespace

// Each mistake has its own line, naming the option and what it must be, and the
// component it concerns (-1: the run).
TEST(ParseSeriesOptions, RefusesBadUsage) {
  struct Case {
    std::vector<const char*> args;
    int input;
    const char* error;
  };
  const Case cases[] = {
      {{}, -1, "no component given; name at least one sequence file (see --help)"},
      {{"--frobnicate", "a"}, -1, "unknown option '--frobnicate'; see --help"},
      {{"a", "--step"}, -1, "option '--step' needs a value; see --help"},
      {{"-d", "120", "a"}, 0, "option '-d': '120' is not a percentage from 0 to 100"},
      {{"a", "--copies=1.5", "b"},
       1,
       "option '--copies': '1.5' is not a whole number of copies from 1 to 1000000"},
      {{"-c", "four", "a"},
       0,
       "option '-c': 'four' is not a code (three, one, number, fasta or structure)"},
      {{"--to", "150", "a"}, -1, "option '--to': '150' is not a D2O percentage from 0 to 100"},
      {{"--step", "0", "a"}, -1, "option '--step': '0' is not a D2O step above 0 and up to 100"},
      {{"--from", "60", "--to", "40", "a"},
       -1,
       "the D2O range runs backwards: --from must not exceed --to"},
      {{"--step", "0.0099999", "a"},
       -1,
       "the D2O range has more than 10001 points; use a larger --step"},
      {{"a", "-n", "2"},
       -1,
       "component options come before the FILE or --formula they describe: '-n' follows the "
       "last one"},
      {{"--formula", "C12H22O11"},
       0,
       "--formula C12H22O11 needs its volume: give --volume, --density or --psv"},
      {{"--volume", "30", "--density", "1", "--formula", "C"},
       0,
       "--formula C: --volume and --density both give its volume; give one"},
      {{"--psv", "0.7", "--density", "1", "--formula", "C"},
       0,
       "--formula C: --psv and --density both give its volume; give one"},
      {{"--volume", "9", "a"},
       0,
       "--labile, --volume and --density describe a --formula component, not a"},
      {{"--formula", "C6Xx2"},
       0,
       "--formula C6Xx2: 'Xx' is no element the planner knows (see --help)"},
      {{"-t", "dna", "--disulfides", "1", "a"},
       0,
       "--disulfides applies to protein components only, not a"},
      {{"-t", "rna", "--deuterate", "A,T=50", "a"},
       0,
       "--deuterate: 'T' is no nucleotide letter (A, C, G, T or U) of a"},
      {{"--deuterate", "LEU=150", "a"},
       0,
       "option '--deuterate': 'LEU=150' is not KINDS=PCT with PCT a percentage from 0 to 100 "
       "(150 is not)"},
      {{"--chains", "A,,B", "a.pdb"},
       0,
       "option '--chains': 'A,,B' is not chain names such as A,B"},
      {{"--chains", "A", "a.fasta"},
       0,
       "--chains applies to structure files (.pdb, .cif...; or --code structure), not a.fasta"},
      {{"--conc", "1", "--plot", "i0", "a"},
       -1,
       "--plot chooses what --svg draws: give --svg FILE too"},
      {{"--plot-layout", "narrow", "a"},
       -1,
       "--plot-layout lays out what --svg draws: give --svg FILE too"},
      {{"--svg", "p.svg", "--plot-layout", "tall", "a"},
       -1,
       "option '--plot-layout': 'tall' is not wide or narrow"},
      {{"--plot", "i0", "--svg", "p.svg", "a"},
       -1,
       "--plot i0 needs the sample's concentration: give --conc"},
      {{"--plot", "guinier", "--svg", "p.svg", "a"},
       -1,
       "this plot draws measured curves: give them with --measured"},
      {{"--plot", "measured-stuhrmann", "--svg", "p.svg", "--measured", "0=a.dat"},
       -1,
       "--plot measured-stuhrmann sets the measured radii against the predicted contrast: give "
       "the sample's components"},
      {{"--stuhrmann", "f.csv", "a.fasta"},
       -1,
       "--stuhrmann needs a component read from a structure (.pdb, .cif...; or --code structure)"},
      {{"--records", "--svg", "p.svg", "a"},
       -1,
       "--records makes one line per record, no series to plot or fit; leave out --svg and "
       "--stuhrmann"},
      {{"--flux", "1e7", "a"},
       -1,
       "counting times (--beamtime, --flux, --plot time...) need the sample's concentration: "
       "give --conc MG_PER_ML"},
      {{"--conc", "1", "--cells", "1,,2", "a"},
       -1,
       "option '--cells': '1,,2' is not path lengths from 0.1 to 20 mm, each once, such as 1,2"},
      {{"--conc", "1", "--wavelength", "30", "a"},
       -1,
       "option '--wavelength': '30' is not a wavelength from 2 to 12 A"},
      {{"--d2o", "0,42,42", "a"},
       -1,
       "option '--d2o': '0,42,42' is not D2O percentages from 0 to 100, ascending, such as "
       "0,42,100"},
      {{"--d2o", "0,42", "--step", "5", "a"},
       -1,
       "--d2o lists the series' points; leave out --from, --to and --step"},
      {{"-", "-"}, -1, "standard input (-) can be read only once"},
      // Numbers are plain decimals: what strtod would also read is a slip.
      {{"--conc", "0x32", "a"},
       -1,
       "option '--conc': '0x32' is not a concentration above 0 and up to 500 mg/mL (mg of "
       "solute per mL of sample)"},
      {{"-d", " 5", "a"}, 0, "option '-d': ' 5' is not a percentage from 0 to 100"},
      {{"-d", "5 ", "a"}, 0, "option '-d': '5 ' is not a percentage from 0 to 100"},
      {{"--to", "inf", "a"}, -1, "option '--to': 'inf' is not a D2O percentage from 0 to 100"},
      {{"--from", "nan", "a"}, -1, "option '--from': 'nan' is not a D2O percentage from 0 to 100"},
      {{"--temperature", "1p5", "a"},
       -1,
       "option '--temperature': '1p5' is not a temperature from 1 to 95 C"},
      {{"--buffer", "NaCl=0x10mM", "a"},
       -1,
       "option '--buffer': 'NaCl=0x10mM' is not SOLUTE=CONC: '0x10mM' is not a concentration "
       "such as 150mM, 1M, 5%w/v or 10%v/v"},
      // Ranges a unit slip cannot pass.
      {{"--conc", "501", "a"},
       -1,
       "option '--conc': '501' is not a concentration above 0 and up to 500 mg/mL (mg of "
       "solute per mL of sample)"},
      {{"--density", "1587", "--formula", "C12H22O11"},
       0,
       "option '--density': '1587' is not a density from 0.5 to 3 g/cm^3 (give g/cm^3, not "
       "kg/m^3)"},
      {{"--volume", "0.358", "--formula", "C12H22O11"},
       0,
       "option '--volume': '0.358' is not a volume from 1 to 1e9 cubic angstrom"},
      {{"--volume", "35816", "--formula", "C12H22O11"},
       0,
       "--formula C12H22O11: --volume 35816 A^3 makes its density 0.0158699 g/cm^3, outside "
       "0.5-3; give the volume of one molecule in cubic angstrom"},
      {{"--psv", "730", "a"},
       0,
       "option '--psv': '730' is not a partial specific volume from 0.34 to 2 cm^3/g (give mL/g, "
       "not L/g)"},
      {{"--uncertainty", "volume=25", "a"},
       -1,
       "option '--uncertainty': 'volume=25' is not volume from 0 to 20 % in NAME=VALUE items, "
       "such as exchange=5,volume=2,deuteration=2"},
      {{"--uncertainty", "exchange=60", "a"},
       -1,
       "option '--uncertainty': 'exchange=60' is not exchange from 0 to 50 points in NAME=VALUE "
       "items, such as exchange=5,volume=2,deuteration=2"},
      {{"--conc", "1", "--flux", "1e13", "a"},
       -1,
       "option '--flux': '1e13' is not a flux from 1e2 to 1e10 neutrons per cm^2 per s"},
      {{"--conc", "1", "--cells", "1,1", "a"},
       -1,
       "option '--cells': '1,1' is not path lengths from 0.1 to 20 mm, each once, such as 1,2"},
      // Given twice, or given where it does nothing.
      {{"-o", "a.txt", "-o", "b.txt", "a"},
       -1,
       "option '-o' is given twice ('a.txt' and 'b.txt'); give it once"},
      {{"--svg", "a.svg", "--svg", "a.svg", "a"},
       -1,
       "option '--svg' is given twice ('a.svg' and 'a.svg'); give it once"},
      {{"-d", "50", "-d", "70", "a"},
       0,
       "option '-d' is given twice ('50' and '70') for one component; give it once"},
      {{"--deuterate", "LEU=100", "--deuterate", "ILE,leu=50", "a"},
       0,
       "--deuterate gives leu of a twice (100 and 50 %); give each kind once"},
      {{"--buffer", "NaCl=150mM", "--buffer", "nacl=50mM", "a"},
       -1,
       "--buffer gives NaCl twice (150mM and 50mM); give each solute once, at its whole "
       "concentration"},
      {{"--chains", "A,B,A", "a.pdb"},
       0,
       "--chains names chain A twice for a.pdb; name each chain once"},
      {{"--curves", "c.csv", "--no-shell", "--shell-density", "5", "a.pdb"},
       -1,
       "--shell-density sets the hydration shell that --no-shell leaves out; give one of them"},
      {{"--q-log", "a.pdb"},
       -1,
       "--q-log sets the predicted curves, which this run does not compute; add --curves, --pr "
       "or --plot curves, or leave it out"},
      {{"--curves", "c.csv", "--show-component", "A", "a.pdb"},
       -1,
       "--show-component chooses what a curves, pr or simulated plot draws; this run draws none "
       "(give --plot curves, pr or simulated with --svg), so leave it out"},
      {{"--records", "--conc", "1", "a"},
       -1,
       "--records makes one line per record at 0 and 100 % D2O; leave out --conc"},
      {{"-c", "structure", "-"},
       0,
       "a structure cannot be read from standard input; name its file"},
  };
  for (const Case& c : cases) {
    SeriesOptions options;
    PlanError error;
    EXPECT_EQ(ParseResult::kUsageError, parse(c.args, &options, &error)) << c.error;
    EXPECT_EQ(c.error, error.message);
    EXPECT_EQ(c.input, error.input) << c.error;
  }
}

// A whole command line lands in the fields it names, component options on their own
// component only.
TEST(ParseSeriesOptions, FillsEveryField) {
  SeriesOptions options;
  PlanError error;
  // The run's options first, then each component's, a component to a line.
  // clang-format off
  const std::vector<const char*> args = {
      "-x", "90", "--from=10", "--to", "90", "--step", "20", "--conc", "2.5", "--xray",
      "--csv", "-o", "r.csv", "--svg", "p.svg", "--plot", "sld", "--allow-unknown",
      "--temperature", "37", "--d2o-purity", "99.8", "--buffer", "NaCl=150mM",
      "--buffer", "glycerol=5%v/v", "--volumes", "perkins", "--sld-unit", "fm/A3",
      "--uncertainty", "volume=3,deuteration=1",
      "-t", "dna", "-c", "one", "-d", "70", "--deuterate", "A,G=50", "-n", "2", "-l", "operator", "dna.fasta",
      "--disulfides", "4", "--psv", "0.73", "--match-at", "42", "lys.DAT",
      "-x", "75", "--labile", "8", "--density", "1.587", "-l", "sucrose", "--formula", "C12H22O11",
      "--", "-odd-name"};
  // clang-format on
  ASSERT_EQ(ParseResult::kRun, parse(args, &options, &error)) << error.message;
  EXPECT_EQ(90.0, options.exchange);
  EXPECT_EQ(10.0, options.from);
  EXPECT_EQ(90.0, options.to);
  EXPECT_EQ(20.0, options.step);
  EXPECT_EQ(2.5, options.conc);
  EXPECT_TRUE(options.xray);
  EXPECT_TRUE(options.allow_unknown);
  EXPECT_FALSE(options.records);
  EXPECT_FALSE(options.ligands);
  EXPECT_EQ(OutputFormat::kCsv, options.outputs.format);
  EXPECT_EQ("r.csv", options.outputs.output_path);
  EXPECT_EQ("p.svg", options.outputs.svg_path);
  EXPECT_EQ(PlotKind::kSld, options.outputs.plot);
  EXPECT_EQ(37.0, options.temperature);
  EXPECT_EQ(99.8, options.d2o_purity);
  ASSERT_EQ(2u, options.buffer.size());
  EXPECT_EQ("NaCl", options.buffer[0].name);
  EXPECT_EQ(0.15, options.buffer[0].molar);
  EXPECT_EQ("glycerol", options.buffer[1].name);
  EXPECT_EQ(ProteinVolumes::kPerkins, options.volumes);
  EXPECT_EQ(SldUnit::kFmPerCubicAngstrom, options.sld_unit);
  EXPECT_EQ(5.0, options.uncertainty.exchange);
  EXPECT_EQ(3.0, options.uncertainty.volume);
  EXPECT_EQ(1.0, options.uncertainty.deuteration);
  EXPECT_EQ(SolventModel::kElements, options.solvent);
  ASSERT_EQ(4u, options.components.size());
  const ComponentSpec& dna = options.components[0];
  EXPECT_EQ("dna.fasta", dna.path);
  EXPECT_EQ(ChainKind::kDna, dna.kind);
  EXPECT_TRUE(dna.kind_given);
  EXPECT_EQ(InputKind::kOneLetter, dna.input);
  EXPECT_EQ(70.0, dna.deuteration);
  ASSERT_EQ(1u, dna.selective.size());
  EXPECT_EQ((std::vector<std::string>{"A", "G"}), dna.selective[0].kinds);
  EXPECT_EQ(50.0, dna.selective[0].percent);
  EXPECT_EQ(2, dna.copies);
  EXPECT_EQ("operator", dna.label);
  EXPECT_EQ(-1.0, dna.exchange);  // the run's 90 %
  const ComponentSpec& lys = options.components[1];
  EXPECT_EQ("lys.DAT", lys.path);
  EXPECT_EQ(ChainKind::kProtein, lys.kind);
  EXPECT_FALSE(lys.kind_given);
  EXPECT_EQ(InputKind::kGuess, lys.input);
  EXPECT_EQ(0.0, lys.deuteration);
  EXPECT_EQ(4, lys.disulfides);
  EXPECT_EQ(0.73, lys.psv);
  EXPECT_TRUE(lys.match_at_given);
  EXPECT_EQ(42.0, lys.match_at);
  EXPECT_EQ("", lys.label);
  const ComponentSpec& sucrose = options.components[2];
  EXPECT_EQ(75.0, sucrose.exchange);
  EXPECT_EQ("C12H22O11", sucrose.formula);
  EXPECT_EQ(8.0, sucrose.labile);
  EXPECT_EQ(1.587, sucrose.density);
  EXPECT_EQ("sucrose", sucrose.label);
  EXPECT_EQ(8.0, sucrose.formula_unit.exchangeable_h);
  EXPECT_EQ(14.0, sucrose.formula_unit.nonexchangeable_h);
  EXPECT_EQ("-odd-name", options.components[3].path);
}

// An instrument file: comments and blank lines skipped, spaces around '=' allowed, the
// command line's own settings kept, and a wrong line named by its number.
TEST(ApplyInstrument, FillsWhatTheCommandLineLeft) {
  SeriesOptions options;
  PlanError error;
  ASSERT_EQ(ParseResult::kRun,
            parse({"--conc", "2", "--instrument", "d22.txt", "--wavelength", "8", "a"}, &options,
                  &error));
  EXPECT_TRUE(options.beamtime);
  const std::string text =
      "# D22, 11 m\n\nflux = 2.5e7\n  wavelength=5   # overridden\ncells = 1, 2\n"
      "aperture = 10\r\nbackground-d2o = 0.06\n";
  ASSERT_TRUE(apply_instrument(text, &options, &error)) << error.message;
  EXPECT_EQ(2.5e7, options.flux);
  EXPECT_EQ(8.0, options.wavelength);
  EXPECT_EQ(10.0, options.aperture);
  EXPECT_EQ(0.06, options.background_d2o);
  EXPECT_EQ(0.75, options.efficiency);
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"flux = 1e7\nfluxx = 2\n",
       "d22.txt line 2: unknown setting 'fluxx'; the settings are flux, aperture, wavelength, "
       "spread, efficiency, cells, q-min, target, background-h2o, background-d2o, configs, "
       "target-high"},
      {"\n\ntarget = 0\n", "d22.txt line 3: target = '0' is not a relative error from 0.1 to 50 %"},
      {"spread 0.1\n", "d22.txt line 1: 'spread 0.1' is not 'name = value'"},
      {"instrument = other.txt\n",
       "d22.txt line 1: unknown setting 'instrument'; the settings are flux, aperture, "
       "wavelength, spread, efficiency, cells, q-min, target, background-h2o, background-d2o, "
       "configs, "
       "target-high"},
      // A [NAME] section takes the keys of a camera configuration, each in its range.
      {"[8m]\ndistance = 8\npixell = 5\n",
       "d22.txt line 3: [8m] unknown key 'pixell'; the keys are wavelength, spread, flux, "
       "source-aperture, aperture, collimation, distance, detector, pixel"},
      {"[2m]\ndistance = 80\n",
       "d22.txt line 2: [2m] distance = '80' is not a sample-to-detector distance from 0.5 to 40 "
       "m"},
      {"[4m]\n[4m]\n", "d22.txt line 2: a second section [4m]; name each once"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(apply_instrument(c.text, &options, &error)) << c.text;
    EXPECT_EQ(c.message, error.message);
  }
}

// --configs takes sections of the file, each once, each leaving rings outside its beam:
// a 100 mm source aperture 0.5 m before the sample throws a beam of 50 (8 / 0.5) +
// 6.35 (8.5 / 0.5) = 908 mm radius at 8 m, more than a 640 mm detector's half.
TEST(ResolveConfigurations, NamesWhatTheFileHolds) {
  const struct {
    const char* names;
    const char* message;
  } cases[] = {
      {"1m,8m", ""},
      {"8m,15m", "--configs 15m: no such section in d22.txt; it has 8m, 1m, wide"},
      {"8m,8m", "--configs names 8m twice; name each configuration once"},
      {"wide",
       "--configs wide: its direct beam (908 mm in radius) leaves fewer than two rings of "
       "pixels on a 640 mm detector; give it a longer collimation or smaller apertures"},
  };
  for (const auto& c : cases) {
    SeriesOptions options;
    PlanError error;
    options.instrument_path = "d22.txt";
    ASSERT_TRUE(apply_instrument(
        "[8m]\n[1m]\ndistance = 1\n[wide]\nsource-aperture = 100\ncollimation = 0.5\n", &options,
        &error));
    options.config_names.clear();
    for (std::string rest = c.names; !rest.empty();) {
      const size_t comma = rest.find(',');
      options.config_names.push_back(rest.substr(0, comma));
      rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    }
    EXPECT_EQ(*c.message == '\0', resolve_configurations(&options, &error)) << c.names;
    EXPECT_EQ(c.message, *c.message == '\0' ? "" : error.message);
    if (*c.message == '\0') {  // the order of their lowest q: 8 m reaches lower
      ASSERT_EQ(2u, options.configurations.size());
      EXPECT_EQ("8m", options.configurations[0].name);
      EXPECT_EQ(1.0, options.configurations[1].distance);
    }
  }
}

// The help lines up: every option's description starts in one column (a long option
// and value get a line of their own) and no line passes 88 columns.
TEST(SeriesUsage, DescriptionsInOneColumn) {
  const std::string usage = series_usage();
  int options = 0;
  bool head_alone = false;
  for (size_t start = 0, end = 0; start < usage.size(); start = end + 1) {
    end = usage.find('\n', start);
    const std::string line = usage.substr(start, end - start);
    EXPECT_GE(88u, line.size()) << line;
    const bool described = line.size() > 26 && line[25] == ' ' && line[26] != ' ';
    if (head_alone) {
      EXPECT_TRUE(described && line.find_first_not_of(' ') == 26) << line;
      head_alone = false;
    } else if (line.rfind("  -", 0) == 0 || line.rfind("      --", 0) == 0) {
      ++options;
      head_alone = line.size() >= 26 && line.find(' ', 25) == std::string::npos;
      EXPECT_TRUE(described || head_alone) << line;
    }
  }
  EXPECT_LE(40, options);
}
