#include "series/components.h"

namespace {

std::string stem_of(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) {
    name.erase(dot);
  }
  return name;
}

std::string where(const ComponentSpec& spec, const SequenceRecord& record, size_t records) {
  return records > 1 ? spec.path + ", record " + record.id : spec.path;
}

std::string entries(int64_t count) {
  return std::to_string(count) + (count == 1 ? " entry names" : " entries name");
}

// Refuses or notes the unknown entries of one record.
bool check_unknown(const std::string& place, const Composition& comp, bool allow_unknown,
                   std::vector<std::string>* warnings, std::string* error) {
  if (comp.unknown == 0) {
    return true;
  }
  const std::string what = place + ": " + entries(comp.unknown) + " no residue, the first \"" +
                           comp.first_unknown + "\"";
  if (!allow_unknown) {
    *error = what +
             "; correct the file, give its code with --code, or leave them out with "
             "--allow-unknown";
    return false;
  }
  warnings->push_back(what + "; left out of the sums");
  return true;
}

}  // namespace

const char* code_name(DataCode code) {
  switch (code) {
    case DataCode::kThreeLetter:
      return "three-letter";
    case DataCode::kNumber:
      return "number";
    case DataCode::kOneLetter:
      break;
  }
  return "one-letter";
}

bool load_components(const ComponentSpec& spec, bool allow_unknown,
                     std::vector<Component>* components, std::vector<std::string>* warnings,
                     std::string* error) {
  std::FILE* file = std::fopen(spec.path.c_str(), "r");
  if (file == nullptr) {
    *error = spec.path + ": cannot be opened; check the name and the path";
    return false;
  }
  const DataCode code = spec.code_given ? spec.code : guess_code(file);
  const RecordsRead read = read_records(file, code);
  std::fclose(file);
  if (read.read_error) {
    *error = spec.path + ": cannot be read (is it a directory?)";
    return false;
  }
  if (code == DataCode::kOneLetter && 2 * read.name_words > read.words) {
    *error = spec.path + ": its words are three-letter residue names, not one-letter codes; " +
             "give --code three";
    return false;
  }
  const size_t records = read.records.size();
  for (size_t i = 0; i < records; ++i) {
    const SequenceRecord& record = read.records[i];
    const std::string place = where(spec, record, records);
    if (!check_unknown(place, record.composition, allow_unknown, warnings, error)) {
      return false;
    }
    if (record.composition.residues == 0) {
      *error = place + ": holds no residues in the " + code_name(code) +
               " code; check the file or give its code with --code";
      return false;
    }
    Component component{spec, records > 1 ? record.id : "", code, record.composition};
    if (records > 1) {
      component.spec.label =
          record.id.empty() ? stem_of(spec.path) + " " + std::to_string(i + 1) : record.id;
    } else if (component.spec.label.empty()) {
      component.spec.label = stem_of(spec.path);
    }
    components->push_back(component);
  }
  if (records == 0) {
    *error = spec.path + ": holds no residues in the " + std::string(code_name(code)) +
             " code; check the file or give its code with --code";
    return false;
  }
  return true;
}
