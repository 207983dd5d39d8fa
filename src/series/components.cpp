#include "series/components.h"

#include <cctype>
#include <cstring>

#include "scattering/scattering_model.h"
#include "series/structure_components.h"
#include "structure/structure_reader.h"

namespace {

constexpr int32_t CYSTEINE = 18;

}  // namespace

std::string stem_of(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0) {
    name.erase(name.size() - 3);
  }
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) {
    name.erase(dot);
  }
  return name;
}

namespace {

std::string where(const ComponentSpec& spec, const SequenceRecord& record, size_t records) {
  return records > 1 ? spec.path + ", record " + record.id : spec.path;
}

std::string entries(int64_t count) {
  return std::to_string(count) + (count == 1 ? " entry names" : " entries name");
}

}  // namespace

bool check_unknown(const std::string& place, const Composition& comp, bool allow_unknown,
                   std::vector<std::string>* warnings, std::string* error) {
  if (comp.wrong_kind > 0) {
    *error = place + ": " + std::to_string(comp.wrong_kind) + " " + comp.first_wrong_kind +
             (comp.kind == ChainKind::kDna ? " in DNA (uracil belongs to RNA: give -t rna)"
                                           : " in RNA (thymine belongs to DNA: give -t dna)");
    return false;
  }
  if (comp.unknown == 0) {
    return true;
  }
  const std::string what = place + ": " + entries(comp.unknown) + " no " +
                           (comp.kind == ChainKind::kProtein ? "residue" : "nucleotide") +
                           ", the first \"" + comp.first_unknown + "\"";
  if (!allow_unknown) {
    *error = what +
             "; correct the file, give its code with --code, or leave them out with "
             "--allow-unknown";
    return false;
  }
  warnings->push_back(what + "; left out of the sums");
  return true;
}

double deuteration_of(const ComponentSpec& spec, const char* name) {
  double percent = spec.deuteration;
  for (const SelectiveDeuteration& s : spec.selective) {
    for (const std::string& kind : s.kinds) {
      bool same = kind.size() == std::strlen(name);
      for (size_t i = 0; same && i < kind.size(); ++i) {
        same = std::toupper(static_cast<unsigned char>(kind[i])) == name[i];
      }
      percent = same ? s.percent : percent;
    }
  }
  return percent / 100.0;
}

namespace {

// A volume from a partial specific volume: the protonated molecule's mass in H2O.
double volume_from_psv(const Makeup& makeup, double water, double psv) {
  Makeup protonated = makeup;
  for (Part& part : protonated.parts) {
    part.deuteration = 0.0;
  }
  protonated.volume = 0.0;
  return series_point(protonated, 1.0, 0.0, water).mass * psv * ANGSTROM3_PER_CM3_MOL;
}

}  // namespace

Makeup chain_makeup(const ComponentSpec& spec, const Composition& comp) {
  Makeup makeup;
  for (int i = 0; i < unit_count(comp.kind); ++i) {
    makeup.parts.push_back(
        {chain_unit(comp.kind, i), comp.rows[i], deuteration_of(spec, unit_name(comp.kind, i))});
  }
  const Element& se = *find_element("Se");
  const Element& s = *find_element("S");
  const Element& d = *find_element("D");
  // Selenocysteine: S becomes Se. A disulfide takes away two labile thiol hydrogens,
  // which the table counts as deuterium.
  makeup.parts.push_back({{se.mass - s.mass, 0.0, se.length - s.length, 0.0, 0.0,
                           static_cast<double>(se.electrons - s.electrons)},
                          comp.selenium,
                          0.0});
  makeup.parts.push_back(
      {{d.mass, 0.0, d.length, 0.0, 1.0, 1.0}, -2.0 * static_cast<double>(spec.disulfides), 0.0});
  if (spec.psv > 0.0) {
    makeup.volume = volume_from_psv(makeup, WATER_MASS, spec.psv);
  }
  return makeup;
}

namespace {

bool load_formula(const ComponentSpec& spec, std::vector<Component>* components) {
  Component component{spec, "", DataCode::kOneLetter, Composition{}, Makeup{}, 0.0, {}, {}};
  Unit unit{};
  std::string error;
  parse_formula(spec.formula, spec.labile, &unit, &error);  // checked with the options
  component.makeup.parts.push_back({unit, 1.0, spec.deuteration / 100.0});
  if (spec.volume > 0.0) {
    component.makeup.volume = spec.volume;
  } else if (spec.density > 0.0) {
    component.makeup.volume = volume_from_psv(component.makeup, 0.0, 1.0 / spec.density);
  } else {
    component.makeup.volume = volume_from_psv(component.makeup, 0.0, spec.psv);
  }
  if (component.spec.label.empty()) {
    component.spec.label = spec.formula;
  }
  components->push_back(component);
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

const char* kind_name(ChainKind kind) {
  switch (kind) {
    case ChainKind::kDna:
      return "DNA";
    case ChainKind::kRna:
      return "RNA";
    case ChainKind::kProtein:
      break;
  }
  return "protein";
}

bool load_components(const ComponentSpec& spec, const SeriesOptions& options,
                     std::vector<Component>* components, std::vector<std::string>* warnings,
                     std::string* error) {
  const bool allow_unknown = options.allow_unknown;
  if (!spec.formula.empty()) {
    return load_formula(spec, components);
  }
  if (spec.structure || (!spec.code_given && is_structure_path(spec.path))) {
    return load_structure_components(spec, options, components, warnings, error);
  }
  std::FILE* file = std::fopen(spec.path.c_str(), "r");
  if (file == nullptr) {
    *error = spec.path + ": cannot be opened; check the name and the path";
    return false;
  }
  const DataCode code = spec.code_given ? spec.code : guess_code(file);
  if (spec.kind != ChainKind::kProtein && code != DataCode::kOneLetter) {
    std::fclose(file);
    *error = spec.path + ": " + kind_name(spec.kind) +
             " is read as one-letter sequences or FASTA; give --code one";
    return false;
  }
  const RecordsRead read = read_records(file, code, spec.kind);
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
    if (spec.kind == ChainKind::kProtein &&
        record.composition.rows[CYSTEINE] < 2.0 * static_cast<double>(spec.disulfides)) {
      *error = place + ": " + std::to_string(spec.disulfides) + " disulfides need " +
               std::to_string(2 * spec.disulfides) + " cysteines, and it has fewer";
      return false;
    }
    Component component{spec,
                        records > 1 ? record.id : "",
                        code,
                        record.composition,
                        chain_makeup(spec, record.composition),
                        WATER_MASS,
                        {},
                        {}};
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
