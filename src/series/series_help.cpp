#include "series/series_options.h"

#include "residues/chemistry.h"
#include "series/option_table.h"

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

}  // namespace

std::string series_usage() {
  std::string text =
      "Usage: quorvane-series [OPTIONS] [COMPONENT-OPTIONS] FILE|--formula F ...\n"
      "Contrast variation of proteins, nucleic acids and their complexes over the D2O\n"
      "content of the solvent: scattering length densities, contrast, match points and\n"
      "forward scattering, from sequence files, structures and chemical formulas.\n"
      "A FILE of - is standard input (FASTA or one-letter codes).\n"
      "\n"
      "Component options, for the FILE or --formula that follows them:\n";
  for (const OptionRow& row : option_table()) {
    if (row.per_component) {
      append_help(row, &text);
    }
  }
  text += "Options:\n";
  for (const OptionRow& row : option_table()) {
    if (!row.per_component) {
      append_help(row, &text);
    }
  }
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
