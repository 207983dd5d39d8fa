#include "measured/measured_reader.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "measured/measured_units.h"
#include "measured/nxcansas_reader.h"
#include "text/decimal.h"
#include "text/xml_reader.h"

namespace {

constexpr size_t MAX_BYTES = size_t{1} << 28;  // a reduced 1D file is kilobytes to megabytes

bool number_of(const XmlElement* e, double factor, double* value) {
  if (e == nullptr) {
    *value = 0.0;
    return true;
  }
  std::string text = e->text;
  const size_t first = text.find_first_not_of(" \t\r\n");
  const size_t last = text.find_last_not_of(" \t\r\n");
  text = first == std::string::npos ? "" : text.substr(first, last - first + 1);
  if (!parse_decimal(text, value)) {
    return false;
  }
  *value *= factor;
  return true;
}

const XmlElement* child(const XmlElement& e, const char* name) {
  const std::vector<const XmlElement*> found = xml_children(e, name);
  return found.empty() ? nullptr : found.front();
}

bool read_sasdata(const XmlElement& data, const std::string& where, MeasuredCurve* c,
                  std::string* error) {
  std::vector<int> lines;
  for (const XmlElement* row : xml_children(data, "Idata")) {
    const XmlElement* q = child(*row, "Q");
    const XmlElement* i = child(*row, "I");
    const XmlElement* di = child(*row, "Idev");
    const XmlElement* dq = child(*row, "Qdev");
    const std::string at = c->file + " line " + std::to_string(row->line) + ": ";
    if (q == nullptr || i == nullptr) {
      *error = at + "an Idata without its Q and I";
      return false;
    }
    if (child(*row, "dQl") != nullptr || child(*row, "dQw") != nullptr) {
      *error = at +
               "slit-smeared data (dQl, dQw), which this program does not fit; give "
               "pinhole data";
      return false;
    }
    if (di == nullptr) {
      *error = at + "an Idata without Idev; every point needs its error";
      return false;
    }
    std::string unit;
    const double qf = q_unit_factor(xml_attribute(*q, "unit"));
    const double dqf = dq != nullptr ? q_unit_factor(xml_attribute(*dq, "unit")) : 1.0;
    const double iff = intensity_unit_factor(xml_attribute(*i, "unit"), &unit);
    const double dif = intensity_unit_factor(xml_attribute(*di, "unit"), &unit);
    if (qf == 0.0 || dqf == 0.0 || iff == 0.0 || dif == 0.0) {
      *error = at + "an unknown unit (Q in 1/A, 1/nm or 1/m; I in 1/cm or 1/m)";
      return false;
    }
    double v[4] = {0, 0, 0, 0};
    if (!number_of(q, qf, &v[0]) || !number_of(i, iff, &v[1]) || !number_of(di, dif, &v[2]) ||
        !number_of(dq, dqf, &v[3])) {
      *error = at + "a value that is no number";
      return false;
    }
    c->q.push_back(v[0]);
    c->intensity.push_back(v[1]);
    c->error.push_back(v[2]);
    c->resolution.push_back(v[3]);
    c->intensity_unit = unit;
    lines.push_back(row->line);
  }
  return checked_curve(
      *c, [&](size_t k) { return "line " + std::to_string(lines[k]) + " (" + where + ")"; }, error);
}

bool read_cansas(const std::string& bytes, const std::string& name,
                 std::vector<MeasuredCurve>* curves, std::string* error) {
  XmlElement root;
  std::string problem;
  if (!read_xml(bytes, &root, &problem)) {
    *error = name + ": " + problem;
    return false;
  }
  if (root.name != "SASroot") {
    *error = name + ": an XML file whose root is <" + root.name + ">, not canSAS 1D's <SASroot>";
    return false;
  }
  for (const XmlElement* entry : xml_children(root, "SASentry")) {
    MeasuredCurve base;
    base.file = name;
    base.format = "canSAS 1D XML";
    const XmlElement* title = child(*entry, "Title");
    base.title = title != nullptr ? title->text : "";
    if (const XmlElement* sample = child(*entry, "SASsample")) {
      const XmlElement* thickness = child(*sample, "thickness");
      const std::string unit = thickness != nullptr ? xml_attribute(*thickness, "unit") : "";
      const double factor = unit == "cm" ? 10.0 : unit == "m" ? 1000.0 : 1.0;
      if (!number_of(thickness, factor, &base.thickness_mm)) {
        base.thickness_mm = 0.0;
      }
    }
    for (const XmlElement* spectrum : xml_children(*entry, "SAStransmission_spectrum")) {
      TransmissionSpectrum t;
      t.name = xml_attribute(*spectrum, "name");
      for (const XmlElement* row : xml_children(*spectrum, "Tdata")) {
        double lambda = 0, value = 0, dev = 0;
        const XmlElement* wavelength = child(*row, "Lambda");
        const std::string unit = wavelength != nullptr ? xml_attribute(*wavelength, "unit") : "";
        if (!unit.empty() && unit != "A" && unit != "nm" && unit != "angstrom") {
          *error = name + " line " + std::to_string(row->line) + ": Lambda unit '" + unit +
                   "' unknown; expected A or nm";
          return false;
        }
        if (!number_of(wavelength, unit == "nm" ? 10.0 : 1.0, &lambda) ||
            !number_of(child(*row, "T"), 1.0, &value) ||
            !number_of(child(*row, "Tdev"), 1.0, &dev)) {
          *error =
              name + " line " + std::to_string(row->line) + ": a Tdata value that is no number";
          return false;
        }
        t.wavelength.push_back(lambda);
        t.transmission.push_back(value);
        t.error.push_back(dev);
      }
      base.transmissions.push_back(t);
    }
    const std::vector<const XmlElement*> blocks = xml_children(*entry, "SASdata");
    for (size_t n = 0; n < blocks.size(); ++n) {
      MeasuredCurve c = base;
      const std::string where =
          "SASentry " + xml_attribute(*entry, "name") + ", SASdata " + std::to_string(n + 1);
      if (!read_sasdata(*blocks[n], where, &c, error)) {
        return false;
      }
      curves->push_back(c);
    }
  }
  if (curves->empty()) {
    *error = name + ": a canSAS file without SASentry and SASdata; no curve to read";
    return false;
  }
  return true;
}

// The numbers of a text line, or none when any field is not one.
std::vector<double> numbers_of(const std::string& line) {
  std::istringstream fields(line);
  std::vector<double> values;
  std::string field;
  while (fields >> field) {
    if (!field.empty() && field.back() == ',') {
      field.pop_back();
    }
    double v = 0.0;
    if (!parse_decimal(field, &v)) {
      const bool missing = field == "nan" || field == "NaN" || field == "inf" || field == "-inf";
      return missing ? std::vector<double>{NAN, NAN, NAN} : std::vector<double>{};
    }
    values.push_back(v);
  }
  return values;
}

// Whether a header line puts the intensities in 1/cm: NIST's column line ("| I(Q)
// (1/cm) |"), the parameters of its absolute scaling ("ABS Parameters"), this program's
// simulated files ("I (1/cm)"). Only then are they taken as absolute; a unit elsewhere
// in a header (a Porod constant's) is not.
bool names_absolute_intensity(const std::string& line) {
  for (const char* column : {"I(Q) (1/cm)", "I(q) (1/cm)", "I (1/cm)", "ABS Parameters"}) {
    if (line.find(column) != std::string::npos) {
      return true;
    }
  }
  return false;
}

// Text: the first block of lines of 3 to 6 numbers after any header, taken as q, I, dI
// and, where there is a fourth, dq (NIST's ABS writes q I dI sigmaQ meanQ shadow).
bool read_text(const std::string& bytes, const std::string& name,
               std::vector<MeasuredCurve>* curves, std::string* error) {
  MeasuredCurve c;
  c.file = name;
  c.format = bytes.find("The 6 columns are") != std::string::npos ? "NIST ABS" : "text";
  std::vector<int> lines;
  std::istringstream in(bytes);
  std::string line;
  int number = 0;
  size_t columns = 0;
  while (std::getline(in, line)) {
    ++number;
    for (char& ch : line) {
      ch = ch == ',' || ch == ';' ? ' ' : ch;
    }
    const std::vector<double> v =
        line.find('#') == std::string::npos ? numbers_of(line) : std::vector<double>{};
    if (v.size() < 3 || v.size() > 6) {
      if (lines.size() >= 2) {
        break;  // the block ends; what follows is the file's history, not data
      }
      // A lone row of numbers is header (ISIS's line of zeros), not a block.
      c.q.clear();
      c.intensity.clear();
      c.error.clear();
      c.resolution.clear();
      lines.clear();
      columns = 0;
      if (names_absolute_intensity(line)) {
        c.intensity_unit = "1/cm";
      }
      if (c.title.empty() && line.find_first_not_of(" \t\r") != std::string::npos &&
          line[0] != '#') {
        const size_t from = line.find_first_not_of(" \t");
        c.title = line.substr(from, line.find_last_not_of(" \t\r") + 1 - from);
      }
      continue;
    }
    if (columns != 0 && v.size() != columns) {
      *error = name + " line " + std::to_string(number) + ": " + std::to_string(v.size()) +
               " columns where the lines before have " + std::to_string(columns);
      return false;
    }
    columns = v.size();
    if (v.size() > 3 && v[3] < 0.0) {
      // NIST's USANS files give the slit's height as a negative sigmaQ.
      *error = name + " line " + std::to_string(number) +
               ": slit-smeared data (a negative sigmaQ, the slit's height), which this "
               "program does not fit; give pinhole data";
      return false;
    }
    c.q.push_back(v[0]);
    c.intensity.push_back(v[1]);
    c.error.push_back(v[2]);
    c.resolution.push_back(v.size() > 3 ? v[3] : 0.0);
    lines.push_back(number);
  }
  if (lines.empty()) {
    *error = name + ": no lines of q, I and dI (3 or 4 numbers each); not a reduced 1D file";
    return false;
  }
  if (!checked_curve(
          c, [&](size_t k) { return "line " + std::to_string(lines[k]); }, error)) {
    return false;
  }
  curves->push_back(c);
  return true;
}

}  // namespace

bool read_measured(const std::string& bytes, const std::string& name,
                   std::vector<MeasuredCurve>* curves, std::string* error) {
  curves->clear();
  if (bytes.compare(0, 8, "\x89HDF\r\n\x1a\n") == 0) {
    return read_nxcansas(bytes, name, curves, error);
  }
  const size_t start = bytes.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  if (start != std::string::npos && bytes[start] == '<') {
    return read_cansas(bytes, name, curves, error);
  }
  return read_text(bytes, name, curves, error);
}

bool read_measured_file(const std::string& path, std::vector<MeasuredCurve>* curves,
                        std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    *error = path + ": cannot be opened; check the name and the path";
    return false;
  }
  std::string bytes;
  char buffer[1 << 16];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && bytes.size() < MAX_BYTES) {
    bytes.append(buffer, got);
  }
  const bool failed = std::ferror(file) != 0 || bytes.size() >= MAX_BYTES;
  std::fclose(file);
  if (failed) {
    *error = path + ": cannot be read, or is larger than 256 MiB; name a reduced 1D file";
    return false;
  }
  return read_measured(bytes, path, curves, error);
}
