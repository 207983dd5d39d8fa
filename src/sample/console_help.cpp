#include "sample/console_help.h"

#include <cstdio>

#include "text/roff_text.h"

namespace {

// The program's description, its options and exit status: the --help text and the
// manual page are both made from these.
const char DESCRIPTION[] =
    "Neutron scattering of a protein in H2O/D2O: asks whether the protein is deuterated,\n"
    "the D2O percentage of the solvent, the residue file (NAME.DAT) and its data code,\n"
    "then prints a line per residue and the totals, and writes NAME_<D2O>[_<ratio>D].DAT\n"
    "beside the residue file. The answers are read from standard input.\n"
#ifdef QUORVANE_CONSOLE_UTF8
    "This build writes its Japanese prompts in UTF-8.\n";
#else
    // The prompts keep the encoding of the console they were written for; say so before a
    // UTF-8 terminal shows them as noise.
    "Its Japanese prompts are Shift-JIS (code page 932), as on a Japanese Windows\n"
    "console; a UTF-8 terminal shows them garbled: read a saved transcript with\n"
    "iconv -f CP932 -t UTF-8, or build with -DQUORVANE_CONSOLE_ENCODING=UTF-8.\n";
#endif
struct ConsoleOption {
  const char* name;
  const char* help;
};
const ConsoleOption CONSOLE_OPTIONS[] = {{"--help", "this help"}, {"--version", "the version"}};
const char* const EXIT_STATUSES[] = {
    "0 done",
    "1 a file could not be opened, read or written, or the input ended early",
    "2 bad usage",
};

}  // namespace

std::string console_usage() {
  std::string text = std::string("Usage: quorvane\n") + DESCRIPTION;
  for (const ConsoleOption& option : CONSOLE_OPTIONS) {
    char line[64];
    std::snprintf(line, sizeof line, "  %-10s %s\n", option.name, option.help);
    text += line;
  }
  return text +
         "Exit status: 0 done, 1 a file could not be opened, read or written, or the input\n"
         "ended early; 2 bad usage.\n";
}

std::string quorvane_manual(const char* version) {
  std::string text = roff_page_head("quorvane", version,
                                    "neutron scattering length, contrast and match of a "
                                    "protein") +
                     ".SH SYNOPSIS\n"
                     ".B quorvane\n"
                     "[\\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR]\n"
                     ".SH DESCRIPTION\n" +
                     roff_text(DESCRIPTION) +
                     ".PP\n"
                     "It asks, in this order: whether the sample is deuterated (y or n); for a "
                     "deuterated sample the deuteration percentage, then the D2O percentage "
                     "(each a number from 0 to 100 of at most 3 characters); whether the "
                     "residue file is in the current directory, and if not its path ending in "
                     "its separator; the file name without .DAT; the data code (0 "
                     "three\\-letter names, 1 one\\-letter codes, 2 table numbers).\n"
                     ".SH OPTIONS\n";
  for (const ConsoleOption& option : CONSOLE_OPTIONS) {
    text += ".TP\n\\fB" + roff_text(option.name) + "\\fR\n" + roff_text(option.help) + "\n";
  }
  text +=
      ".SH EXAMPLES\n"
      ".PP\n.nf\n"
      "cd ~/.local/share/doc/quorvane/examples\n"
      "printf 'N\\\\n100\\\\ny\\\\nlysozyme_3\\\\n0\\\\ny\\\\n' | quorvane\n"
      ".fi\n"
      ".PP\n"
      "answers not deuterated, 100 % D2O, the current directory, lysozyme_3.DAT in "
      "three\\-letter codes, and writes lysozyme_3_100.DAT.\n"
      ".SH FILES\n"
      ".TP\n\\fINAME\\fR.DAT\nthe residue file, in the code the last question names\n"
      ".TP\n\\fINAME\\fR_\\fID2O\\fR[_\\fIRATIO\\fRD].DAT\n"
      "the result file beside it, replaced only once complete\n"
      ".SH EXIT STATUS\n";
  for (const char* status : EXIT_STATUSES) {
    const std::string line = status;
    text += ".TP\n" + line.substr(0, 1) + "\n" + roff_text(line.substr(2)) + "\n";
  }
  return text +
         ".SH SEE ALSO\n"
         ".BR quorvane\\-series (1);\n"
         "the manual in share/doc/quorvane (docs/ in the sources).\n";
}
