#include "series/series_options.h"

#include <algorithm>

#include "residues/chemistry.h"
#include "series/option_table.h"
#include "text/roff_text.h"

namespace {

void append_help(const OptionRow& row, std::string* text) {
  std::string head = "  ";
  head += row.short_name != nullptr ? std::string(row.short_name) + ", " : "    ";
  head += row.long_name;
  if (row.value_name != nullptr) {
    head += std::string(" ") + row.value_name;
  }
  // A head that reaches the descriptions' column gets a line of its own, so that every
  // description starts in that column.
  const std::string indent(26, ' ');
  head +=
      head.size() < indent.size() ? std::string(indent.size() - head.size(), ' ') : "\n" + indent;
  std::string help = row.help;
  for (size_t line = help.find('\n'); line != std::string::npos; line = help.find('\n', line + 1)) {
    help.insert(line + 1, indent);
  }
  *text += head + help + "\n";
}

// One option of the manual: its names and value in bold and italics, its help as a
// paragraph under them.
void append_manual(const OptionRow& row, std::string* text) {
  *text += ".TP\n";
  if (row.short_name != nullptr) {
    *text += "\\fB" + roff_text(row.short_name) + "\\fR, ";
  }
  *text += "\\fB" + roff_text(row.long_name) + "\\fR";
  if (row.value_name != nullptr) {
    *text += " \\fI" + roff_text(row.value_name) + "\\fR";
  }
  std::string help = row.help;
  for (size_t at = help.find("\ntakes"); at != std::string::npos; at = help.find("\ntakes")) {
    help.replace(at, 1, "; ");
  }
  std::replace(help.begin(), help.end(), '\n', ' ');
  *text += "\n" + roff_text(help) + "\n";
}

// Each line of `lines` as a paragraph of its own.
std::string paragraphs(const char* const* lines, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += ".PP\n" + roff_text(lines[i]) + "\n";
  }
  return text;
}

// Appends the component options (or the run's) in the table's order, each as `append`
// writes it.
void append_rows(bool per_component, void (*append)(const OptionRow&, std::string*),
                 std::string* text) {
  for (const OptionRow& row : option_table()) {
    if (row.per_component == per_component) {
      append(row, text);
    }
  }
}

// The manual's sections after its options: examples, files, exit status, see also.
std::string manual_sections_after_options() {
  static const char* const EXAMPLES[] = {
      "quorvane-series --step 25 lysozyme_3.DAT",
      "quorvane-series --conc 5 --d2o 0,42,100 --beamtime -l lysozyme lysozyme_3.DAT",
      ("quorvane-series --chains A model.pdb -d 70 --chains B model.pdb --curves curves.csv "
       "--svg curves.svg --plot curves"),
      "quorvane-series --density 1.587 --labile 8 -l sucrose --formula C12H22O11",
  };
  std::string text = ".SH EXAMPLES\n";
  for (const char* example : EXAMPLES) {
    text += ".PP\n.nf\n" + roff_text(example) + "\n.fi\n";
  }
  static const char* const FILES[] = {
      ("Sequence files are read in the code their first entry shows, or the one --code "
       "names; a byte-order mark is skipped, and a gzipped file is unpacked."),
      ("Every output (-o, --csv-file, --svg, --stuhrmann, --curves, --pr) is written beside "
       "its place and renamed over it once all are complete: a run that fails changes no "
       "file."),
      "An --instrument file holds one 'name = value' a line of the beamtime settings.",
  };
  text += ".SH FILES\n" + paragraphs(FILES, sizeof FILES / sizeof FILES[0]);
  text +=
      ".SH EXIT STATUS\n"
      ".TP\n0\ndone\n"
      ".TP\n1\na file could not be read or written, or a record could not be planned\n"
      ".TP\n2\nbad usage: an option refused, with the range its value must lie in\n"
      ".SH SEE ALSO\n"
      ".BR quorvane (1);\n"
      "the manual in share/doc/quorvane (docs/ in the sources); the Python module "
      "\\fBquorvane\\fR.\n";
  return text;
}

}  // namespace

std::string series_manual(const char* version) {
  std::string text = roff_page_head("quorvane-series", version,
                                    "plan contrast variation: match points, contrast, SLD, "
                                    "I(0), Rg, predicted curves and counting times over the "
                                    "D2O content") +
                     ".SH SYNOPSIS\n"
                     ".B quorvane\\-series\n"
                     "[\\fIOPTIONS\\fR] [\\fICOMPONENT\\-OPTIONS\\fR] "
                     "\\fIFILE\\fR|\\fB\\-\\-formula\\fR \\fIF\\fR ...\n"
                     ".SH DESCRIPTION\n" +
                     roff_text(
                         "Contrast variation of proteins, nucleic acids and their complexes "
                         "over the D2O content of the solvent, from sequence files (FASTA, "
                         "one-letter, three-letter or number codes), atomic models (PDB, "
                         "mmCIF, gzipped or not) and chemical formulas. A FILE of - is "
                         "standard input. Every number is a plain decimal within the range "
                         "its option states.") +
                     "\n.SH COMPONENT OPTIONS\n"
                     "These apply to the FILE or \\fB\\-\\-formula\\fR that follows them.\n";
  append_rows(true, append_manual, &text);
  text += ".SH OPTIONS\n";
  append_rows(false, append_manual, &text);
  text +=
      ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\nthis help\n"
      ".TP\n\\fB\\-\\-version\\fR\nthe version\n";
  return text + manual_sections_after_options();
}

std::string series_usage() {
  std::string text =
      "Usage: quorvane-series [OPTIONS] [COMPONENT-OPTIONS] FILE|--formula F ...\n"
      "Contrast variation of proteins, nucleic acids and their complexes over the D2O\n"
      "content of the solvent: scattering length densities, contrast, match points and\n"
      "forward scattering, from sequence files, structures and chemical formulas.\n"
      "A FILE of - is standard input (FASTA or one-letter codes).\n"
      "\n"
      "Component options, for the FILE or --formula that follows them:\n";
  append_rows(true, append_help, &text);
  text += "Options:\n";
  append_rows(false, append_help, &text);
  text +=
      "  -h, --help              this help\n"
      "      --version           the version\n"
      "Elements:";
  size_t column = 9;
  for (int i = 0; i < element_count(); ++i) {
    const std::string symbol = element_at(i).symbol;
    if (column + 1 + symbol.size() > 80) {
      text += "\n ";
      column = 1;
    }
    text += " " + symbol;
    column += 1 + symbol.size();
  }
  text += ".\nA series has at most " + std::to_string(MAX_POINTS) + " D2O points.\n";
  text += "Exit status: 0 done, 1 a file could not be read or written, 2 bad usage.\n";
  return text;
}
