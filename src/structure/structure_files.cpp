// Structure files as bytes, in every build: what names one, reading it whole,
// decompressing it, and refusing one that is cut short, before any parser sees it.
#include <cctype>
#include <cstdio>
#include <string>

#include "io/gunzip.h"
#include "structure/structure_parser.h"
#include "structure/structure_reader.h"

namespace {

std::string lower(const std::string& text) {
  std::string out;
  for (char c : text) {
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

bool ends_with(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

StructureFormat format_of(const std::string& name) {
  std::string n = lower(name);
  if (ends_with(n, ".gz")) {
    n.erase(n.size() - 3);
  }
  if (ends_with(n, ".pdb") || ends_with(n, ".ent")) {
    return StructureFormat::kPdb;
  }
  if (ends_with(n, ".cif") || ends_with(n, ".mmcif")) {
    return StructureFormat::kMmcif;
  }
  return StructureFormat::kUnknown;
}

// The format by the contents, where the name gives none: mmCIF opens with data_.
StructureFormat sniff(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) {
    return StructureFormat::kUnknown;
  }
  return lower(text.substr(first, 5)) == "data_" ? StructureFormat::kMmcif : StructureFormat::kPdb;
}

// The line that starts at `start`, without its line end.
std::string line_at(const std::string& text, size_t start) {
  const size_t end = text.find('\n', start);
  std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return line;
}

// The PDB format's record names (columns 1-6) that a model file may end with.
bool is_pdb_record(const std::string& line) {
  static const char* const RECORDS[] = {
      "ATOM",   "HETATM", "TER",    "END",    "ENDMDL", "MODEL",  "CONECT", "MASTER", "ANISOU",
      "REMARK", "HEADER", "TITLE",  "COMPND", "SOURCE", "KEYWDS", "EXPDTA", "AUTHOR", "REVDAT",
      "JRNL",   "SEQRES", "HET",    "HETNAM", "FORMUL", "HELIX",  "SHEET",  "SSBOND", "LINK",
      "CISPEP", "SITE",   "CRYST1", "ORIGX1", "ORIGX2", "ORIGX3", "SCALE1", "SCALE2", "SCALE3",
      "MTRIX1", "MTRIX2", "MTRIX3", "DBREF",  "SEQADV", "MODRES", "HETSYN", "SPLIT",  "CAVEAT"};
  std::string name = line.substr(0, 6);
  name.erase(name.find_last_not_of(' ') + 1);
  for (const char* record : RECORDS) {
    if (name == record) {
      return true;
    }
  }
  return false;
}

// A PDB line that holds its whole record: an atom reaches past its coordinates
// (column 54); any other record needs only its name.
bool whole_pdb_line(const std::string& line) {
  const std::string name = line.substr(0, 6);
  if (name == "ATOM  " || name == "HETATM") {
    return line.size() >= 54;
  }
  return is_pdb_record(line);
}

// The values of mmCIF text from `start` on, as the format splits them: blanks between,
// quotes around a value with blanks, a line starting with ';' opening a text field.
size_t cif_values(const std::string& text, size_t start, size_t end) {
  size_t values = 0;
  size_t i = start;
  while (i < end) {
    const char c = text[i];
    const bool line_start = i == 0 || text[i - 1] == '\n';
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
    } else if (line_start && c == ';') {
      const size_t close = text.find("\n;", i + 1);
      i = close == std::string::npos ? end : close + 2;
      ++values;
    } else if (c == '\'' || c == '"') {
      size_t close = i + 1;
      while (close < end &&
             !(text[close] == c &&
               (close + 1 >= end || text[close + 1] == ' ' || text[close + 1] == '\t' ||
                text[close + 1] == '\r' || text[close + 1] == '\n'))) {
        ++close;
      }
      i = close + 1;
      ++values;
    } else {
      while (i < end && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n') {
        ++i;
      }
      ++values;
    }
  }
  return values;
}

// Whether the last loop of an mmCIF file has whole rows: as many values as columns in
// each. Files written by other programs than the PDB's end without the closing "#", so
// only a loop cut in a row shows a file cut short (one with a line end after the cut
// row the parser refuses itself).
bool mmcif_rows_whole(const std::string& text) {
  const size_t loop = text.rfind("loop_");
  if (loop == std::string::npos) {
    return true;
  }
  size_t columns = 0;
  size_t at = text.find('\n', loop);
  while (at != std::string::npos && at + 1 < text.size()) {
    const size_t first = text.find_first_not_of(" \t", at + 1);
    if (first == std::string::npos || text[first] != '_') {
      break;
    }
    ++columns;
    at = text.find('\n', first);
  }
  if (columns == 0 || at == std::string::npos) {
    return columns == 0;
  }
  // The rows run to the next category or the end.
  size_t rows_end = text.size();
  for (size_t line = at + 1; line < text.size();) {
    const size_t first = text.find_first_not_of(" \t", line);
    if (first != std::string::npos && first < text.size() &&
        (text[first] == '#' || text[first] == '_' || text.compare(first, 5, "loop_") == 0 ||
         text.compare(first, 5, "data_") == 0) &&
        (first == line)) {
      rows_end = line;
      break;
    }
    const size_t next = text.find('\n', line);
    line = next == std::string::npos ? text.size() : next + 1;
  }
  return cif_values(text, at + 1, rows_end) % columns == 0;
}

// A file whose last line has no line end was most likely cut in the middle of it,
// unless that line is whole: a PDB record that holds its fields, or an mmCIF file
// whose last rows have all their values.
bool cut_mid_line(const std::string& text, StructureFormat format) {
  if (text.empty() || text.back() == '\n') {
    return false;
  }
  const size_t last = text.find_last_of('\n');
  const std::string line = line_at(text, last == std::string::npos ? 0 : last + 1);
  return format == StructureFormat::kPdb ? !whole_pdb_line(line) : !mmcif_rows_whole(text);
}

// A PDB file shows a cut where a MODEL has no ENDMDL after it.
bool models_closed(const std::string& text) {
  int open = 0;
  for (size_t start = 0; start < text.size();) {
    const std::string name = line_at(text, start).substr(0, 6);
    open += name == "MODEL " ? 1 : name == "ENDMDL" ? -1 : 0;
    const size_t end = text.find('\n', start);
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return open <= 0;
}

}  // namespace

bool is_structure_path(const std::string& path) {
  return format_of(path) != StructureFormat::kUnknown;
}

bool read_structure(const std::string& path, StructureModel* model, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = path + ": cannot be opened; check the name and the path";
    return false;
  }
  std::string bytes;
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, got);
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    *error = path + ": cannot be read (is it a directory?)";
    return false;
  }
  return read_structure_bytes(bytes, path, model, error);
}

bool read_structure_bytes(const std::string& bytes, const std::string& name, StructureModel* model,
                          std::string* error) {
  std::string text;
  if (is_gzip(bytes)) {
    if (!gunzip_file(bytes, name, &text, error)) {
      return false;
    }
  } else {
    text = bytes;
  }
  StructureFormat format = format_of(name);
  if (format == StructureFormat::kUnknown) {
    format = sniff(text);
  }
  // A text model holds no zero byte; one that does is damaged (and gemmi would end a
  // line at it and read on from there).
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) {
    *error = name + ": holds a zero byte at offset " + std::to_string(zero) +
             ": it is damaged or not a text file; copy it again";
    return false;
  }
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    *error = name + ": holds no atoms: the file is empty";
    return false;
  }
  if (cut_mid_line(text, format)) {
    *error = name + ": its last line has no line end: the file looks cut short; copy it again";
    return false;
  }
  const int assembly = model->assembly;
  *model = StructureModel();
  model->assembly = assembly;
  if (!parse_structure(text, name, format, model, error)) {
    return false;
  }
  if (format == StructureFormat::kPdb && !models_closed(text)) {
    model->warnings.insert(model->warnings.begin(),
                           name + ": a MODEL has no ENDMDL after it; the file may be cut short");
  }
  return true;
}
