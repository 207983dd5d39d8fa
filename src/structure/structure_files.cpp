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

// The record name is the first six columns: "END" and blanks (older files number the
// line in columns 73-80 after it).
bool is_end_record(const std::string& line) {
  const std::string name = line.substr(0, 6);
  return name.compare(0, 3, "END") == 0 && name.find_first_not_of(' ', 3) == std::string::npos;
}

// A file whose last line has no line end was most likely cut in the middle of it, and
// a parser would read the part as if whole; a PDB file's END record is whole however
// it ends.
bool cut_mid_line(const std::string& text, StructureFormat format) {
  if (text.empty() || text.back() == '\n') {
    return false;
  }
  const size_t last = text.find_last_of('\n');
  const std::string line = line_at(text, last == std::string::npos ? 0 : last + 1);
  return !(format == StructureFormat::kPdb && is_end_record(line));
}

bool has_end_record(const std::string& text) {
  for (size_t start = 0; start < text.size();) {
    if (is_end_record(line_at(text, start))) {
      return true;
    }
    const size_t end = text.find('\n', start);
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return false;
}

// The files the PDB writes close every category with a line "#"; one that stops
// elsewhere may have lost the rest of its atoms at a line end.
bool mmcif_closed(const std::string& text) {
  const size_t last = text.find_last_not_of(" \t\r\n");
  if (last == std::string::npos) {
    return false;
  }
  const size_t newline = text.find_last_of('\n', last);
  const size_t start = newline == std::string::npos ? 0 : newline + 1;
  const size_t first = text.find_first_not_of(" \t", start);
  return first == last && text[last] == '#';
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
    std::string detail;
    switch (gunzip(bytes, &text, &detail)) {
      case GunzipStatus::kOk:
        break;
      case GunzipStatus::kCutShort:
        *error = name + ": the gzip stream ends early: the file is cut short; copy it again";
        return false;
      case GunzipStatus::kDamaged:
        *error = name + ": is damaged: its gzip data do not hold (" + detail + "); copy it again";
        return false;
      case GunzipStatus::kUnsupported:
        *error = name + ": is gzipped and " + detail + "; decompress it first (gunzip)";
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
  if (cut_mid_line(text, format)) {
    *error = name + ": its last line has no line end: the file looks cut short; copy it again";
    return false;
  }
  *model = StructureModel();
  if (!parse_structure(text, name, format, model, error)) {
    return false;
  }
  if (format == StructureFormat::kPdb && !has_end_record(text)) {
    model->warnings.insert(model->warnings.begin(),
                           name + ": has no END record; it may be cut short");
  }
  if (format == StructureFormat::kMmcif && !mmcif_closed(text)) {
    model->warnings.insert(model->warnings.begin(),
                           name +
                               ": does not end with the \"#\" that closes an mmCIF "
                               "category; it may be cut short");
  }
  return true;
}
