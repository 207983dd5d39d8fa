#include "dialogue/residue_warnings.h"

#include <string>

#include "text/xml_text.h"

namespace {

const char* plural(int count, const char* one, const char* many) {
  return count == 1 ? one : many;
}

// A byte as the user would type it, or its hexadecimal code when it is not printable.
void shown_byte(char c, char (*text)[8]) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x21 && byte < 0x7f) {
    std::snprintf(*text, sizeof *text, "\"%c\"", c);
  } else {
    std::snprintf(*text, sizeof *text, "0x%02X", byte);
  }
}

// Most of the file does not fit the chosen code: a wrong answer to the data-code
// question is the likely cause, and the totals are meaningless.
bool most_does_not_fit(DataCode code, const ReadReport& report) {
  if (code == DataCode::kOneLetter) {
    return 2 * report.name_words > report.words ||
           2 * report.skipped > report.entries + report.skipped;
  }
  return 2 * report.unknown > report.entries;
}

}  // namespace

void warn_about_residues(std::FILE* err, const char* path, DataCode code,
                         const ReadReport& report) {
  const char* cut = report.token_cut ? "..." : "";
  if (report.unknown > 0 && code == DataCode::kOneLetter) {
    std::fprintf(err,
                 "quorvane: warning: %s starts with \"%s\", which names no single residue; it "
                 "was counted as NON and adds nothing to the sums.\n",
                 path, printable_text(report.token).c_str());
  } else if (report.unknown > 0) {
    std::fprintf(err,
                 "quorvane: warning: %s: %d %s no residue and %s counted as NON, adding nothing "
                 "to the sums; the first is \"%s%s\".\n",
                 path, static_cast<int>(report.unknown),
                 code == DataCode::kNumber ? plural(report.unknown, "number outside 0-20 names",
                                                    "numbers outside 0-20 name")
                                           : plural(report.unknown, "entry names", "entries name"),
                 plural(report.unknown, "was", "were"), printable_text(report.token).c_str(), cut);
  }
  if (report.skipped > 0) {
    char first[8];
    shown_byte(report.first_skipped, &first);
    std::fprintf(err,
                 "quorvane: warning: %s: %d %s no residue letter (lower case, Z, digits, "
                 "punctuation) and %s skipped; the first is %s.\n",
                 path, static_cast<int>(report.skipped),
                 plural(report.skipped, "character is", "characters are"),
                 plural(report.skipped, "was", "were"), first);
  }
  if (report.repeated > 0) {
    std::fprintf(err,
                 "quorvane: warning: %s: %d %s of B, J, O, U or X, which name no single residue, "
                 "repeated the residue before %s.\n",
                 path, static_cast<int>(report.repeated),
                 plural(report.repeated, "letter", "letters"),
                 plural(report.repeated, "it", "them"));
  }
  if (report.entries == 0) {
    std::fprintf(err,
                 "quorvane: warning: %s: no residue was read; the totals are those of an empty "
                 "protein.\n",
                 path);
  } else if (most_does_not_fit(code, report)) {
    std::fprintf(err,
                 "quorvane: warning: most of %s does not look like the %s code; is the data code "
                 "right? (0 three-letter names, 1 one-letter codes, 2 table numbers)\n",
                 path,
                 code == DataCode::kThreeLetter ? "three-letter"
                 : code == DataCode::kOneLetter ? "one-letter"
                                                : "number");
  }
}
