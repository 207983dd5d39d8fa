#include "plan/components.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "io/gunzip.h"
#include "plan/structure_components.h"
#include "scattering/scattering_model.h"
#include "text/xml_text.h"

namespace {

constexpr int32_t CYSTEINE = 18;
// The protein rows whose letters are also nucleotide letters: GLY, ALA, THR, CYS, ASN
// (and U, read as selenocysteine, counts as CYS).
constexpr int32_t NUCLEOTIDE_LETTER_ROWS[] = {0, 1, 11, 18, 12};
// Shorter sequences of those letters are common in proteins (a Gly-Ala linker).
constexpr int64_t NUCLEIC_SLIP_LENGTH = 10;

std::string entries(int64_t count) {
  return std::to_string(count) + (count == 1 ? " entry names" : " entries name");
}

// A volume from a partial specific volume: the protonated molecule's mass in H2O.
double volume_from_psv(const Makeup& makeup, double psv, const Solvent& solvent) {
  Makeup protonated = makeup;
  for (Part& part : protonated.parts) {
    part.deuteration = 0.0;
  }
  return weighed_mass(protonated, solvent) * psv * ANGSTROM3_PER_CM3_MOL;
}

Component formula_component(const LoadContext& context, int input) {
  const ComponentSpec& spec = context.options->components[static_cast<size_t>(input)];
  Component component;
  component.spec = spec;
  component.input = input;
  component.makeup.parts.push_back({spec.formula_unit, 1.0, spec.deuteration / 100.0});
  component.makeup.exchange = exchange_of(spec, *context.options);
  if (spec.volume > 0.0) {
    component.makeup.volume = spec.volume;
  } else {
    const double psv = spec.density > 0.0 ? 1.0 / spec.density : spec.psv;
    component.makeup.volume = volume_from_psv(component.makeup, psv, *context.solvent);
  }
  if (component.spec.label.empty()) {
    component.spec.label = spec.formula;
  }
  return component;
}

// Swiss-Prot's average amino-acid composition, % of residues, as PROSITE's documentation
// of its profiles of compositionally biased regions tabulates it ("Average frequency",
// prosite.expasy.org/doc/PS50324); the table sums to 99.87 and is taken as shares of it.
const struct {
  const char* name;
  double percent;
} AVERAGE_PROTEIN[] = {{"ALA", 7.55}, {"CYS", 1.69}, {"ASP", 5.30}, {"GLU", 6.32}, {"PHE", 4.07},
                       {"GLY", 6.84}, {"HIS", 2.24}, {"ILE", 5.72}, {"LYS", 5.93}, {"LEU", 9.33},
                       {"MET", 2.35}, {"ASN", 4.52}, {"PRO", 4.92}, {"GLN", 4.02}, {"ARG", 5.15},
                       {"SER", 7.22}, {"THR", 5.74}, {"VAL", 6.52}, {"TRP", 1.25}, {"TYR", 3.19}};

// A protein known by its mass: the average composition, scaled to as many residues
// (fractional) as make that mass with one water, weighed protonated and with its labile
// H as H, whatever its deuteration.
Component mass_component(const LoadContext& context, int input) {
  const ComponentSpec& spec = context.options->components[static_cast<size_t>(input)];
  Component component;
  component.spec = spec;
  component.input = input;
  Composition comp{};
  comp.kind = ChainKind::kProtein;
  double total = 0.0;
  for (const auto& row : AVERAGE_PROTEIN) {
    total += row.percent;
  }
  for (int i = 0; i < unit_count(ChainKind::kProtein); ++i) {
    for (const auto& row : AVERAGE_PROTEIN) {
      comp.rows[i] +=
          std::strcmp(row.name, unit_name(ChainKind::kProtein, i)) == 0 ? row.percent / total : 0.0;
    }
  }
  ComponentSpec protonated = spec;
  protonated.deuteration = 0.0;
  protonated.selective.clear();
  const double per_residue =
      weighed_mass(chain_makeup(protonated, comp, context), *context.solvent) - WATER_MASS;
  const double residues = (spec.mass_kda * 1000.0 - WATER_MASS) / per_residue;
  for (double& row : comp.rows) {
    row *= residues;
  }
  comp.residues = std::llround(residues);
  component.composition = comp;
  component.makeup = chain_makeup(spec, comp, context);
  if (component.spec.label.empty()) {
    char label[64];
    std::snprintf(label, sizeof label, "protein_%gkDa", spec.mass_kda);
    component.spec.label = label;
  }
  return component;
}

DataCode data_code(InputKind code) {
  switch (code) {
    case InputKind::kThreeLetter:
      return DataCode::kThreeLetter;
    case InputKind::kNumber:
      return DataCode::kNumber;
    case InputKind::kGuess:
    case InputKind::kOneLetter:
    case InputKind::kStructure:
      break;
  }
  return DataCode::kOneLetter;
}

InputKind input_kind(DataCode code) {
  switch (code) {
    case DataCode::kThreeLetter:
      return InputKind::kThreeLetter;
    case DataCode::kNumber:
      return InputKind::kNumber;
    case DataCode::kOneLetter:
      break;
  }
  return InputKind::kOneLetter;
}

// A sequence read as protein only because no -t was given, that holds nothing but the
// letters of DNA and RNA: most likely a nucleic acid.
bool looks_nucleic(const ComponentSpec& spec, const Composition& comp) {
  if (spec.kind_given || comp.kind != ChainKind::kProtein || comp.residues < NUCLEIC_SLIP_LENGTH) {
    return false;
  }
  double letters = 0.0;
  for (int32_t row : NUCLEOTIDE_LETTER_ROWS) {
    letters += comp.rows[row];
  }
  return std::fabs(letters - static_cast<double>(comp.residues)) < 1e-9 && comp.any == 0 &&
         comp.ambiguous == 0;
}

// Why one record of a sequence file cannot be planned; an empty message when it can.
// The options that do not fit the record are mistakes of usage.
PlanError record_problem(const ComponentSpec& spec, const std::string& place,
                         const Composition& comp, InputKind code, bool allow_unknown,
                         std::string* warning) {
  PlanError problem;
  problem.setting = "file";
  problem.message = check_entries(place, comp, allow_unknown, warning);
  if (!problem.message.empty()) {
    return problem;
  }
  if (comp.residues == 0) {
    problem.message = place + ": holds no residues in the " + code_name(code) +
                      " code; check the file or give its code with --code";
    return problem;
  }
  problem.usage = true;
  if (looks_nucleic(spec, comp)) {
    problem.setting = "--type";
    problem.message = place +
                      ": holds only the letters A, C, G, T, U and N, as DNA or RNA does; give "
                      "-t dna or -t rna before it, or -t protein if it really is a protein";
    return problem;
  }
  const auto cysteines = static_cast<int64_t>(comp.rows[CYSTEINE]);
  if (spec.kind == ChainKind::kProtein && cysteines < 2 * spec.disulfides) {
    problem.setting = "--disulfides";
    problem.value = std::to_string(spec.disulfides);
    problem.expected = "at most " + std::to_string(cysteines / 2);
    problem.message = place + ": " + std::to_string(spec.disulfides) + " disulfides need " +
                      std::to_string(2 * spec.disulfides) + " cysteines, and it has " +
                      std::to_string(cysteines) + "; give --disulfides " +
                      std::to_string(cysteines / 2) + " or fewer";
    return problem;
  }
  problem.message.clear();
  return problem;
}

// A gzipped sequence file, unpacked into a temporary stream; false with `*error` when
// it is damaged, cut short or this build has no zlib.
bool unpack_sequence(std::FILE* packed, const std::string& path, std::FILE** file,
                     std::string* error) {
  std::string bytes, text;
  char buffer[1 << 16];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, packed)) > 0) {
    bytes.append(buffer, got);
  }
  if (!gunzip_file(bytes, path, &text, error)) {
    return false;
  }
  *file = std::tmpfile();
  if (*file == nullptr || std::fwrite(text.data(), 1, text.size(), *file) != text.size() ||
      std::fflush(*file) != 0) {
    if (*file != nullptr) {
      std::fclose(*file);
      *file = nullptr;
    }
    *error = path + ": no room to unpack it; decompress it first (gunzip)";
    return false;
  }
  std::rewind(*file);
  return true;
}

// Opens the component's file (a gzipped one unpacked, known by its first bytes), or
// rewinds the copy of standard input for "-". False with `*error` when it cannot.
bool open_sequence(const ComponentSpec& spec, std::FILE* standard_input, std::FILE** file,
                   std::string* error) {
  if (spec.from_text) {
    // A caller's text read as a file is: an anonymous temporary, gone when closed.
    *file = std::tmpfile();
    const bool written =
        *file != nullptr &&
        std::fwrite(spec.text.data(), 1, spec.text.size(), *file) == spec.text.size() &&
        std::fflush(*file) == 0;
    if (!written) {
      if (*file != nullptr) {
        std::fclose(*file);
      }
      *error = spec.path + ": no temporary file to read it from";
      return false;
    }
    std::rewind(*file);
    return true;
  }
  if (spec.path == "-") {
    if (standard_input != nullptr) {
      std::rewind(standard_input);
    }
    *file = standard_input;
    return true;
  }
  *file = nullptr;
  std::FILE* raw = std::fopen(spec.path.c_str(), "rb");
  if (raw == nullptr) {
    *error = spec.path + ": cannot be opened; check the name and the path";
    return false;
  }
  unsigned char magic[2] = {0, 0};
  const bool packed = std::fread(magic, 1, 2, raw) == 2 && magic[0] == 0x1f && magic[1] == 0x8b;
  if (packed) {
    std::rewind(raw);
    const bool unpacked = unpack_sequence(raw, spec.path, file, error);
    std::fclose(raw);
    return unpacked;
  }
  std::fclose(raw);
  // Text mode, so that a file with CRLF line ends reads alike on every system.
  *file = std::fopen(spec.path.c_str(), "r");
  if (*file == nullptr) {
    *error = spec.path + ": cannot be opened; check the name and the path";
  }
  return *file != nullptr;
}

// Why what was read from a sequence file cannot be planned, or "" with `*setting`
// untouched when it can.
std::string read_problem(const ComponentSpec& spec, InputKind code, const RecordsRead& read,
                         std::string* setting) {
  if (spec.kind != ChainKind::kProtein && code != InputKind::kOneLetter) {
    *setting = "--code";
    return spec.path + ": " + kind_name(spec.kind) +
           " is read as one-letter sequences or FASTA; give --code one";
  }
  if (read.read_error) {
    return spec.path + ": cannot be read (is it a directory?)";
  }
  if (code == InputKind::kOneLetter && 2 * read.name_words > read.words) {
    return spec.path +
           ": its words are three-letter residue names, not one-letter codes; give --code three";
  }
  if (read.records.empty()) {
    return spec.path + ": holds no residues in the " + code_name(code) +
           " code; check the file or give its code with --code";
  }
  return "";
}

// The component of record `i` of `records`: labelled by its ID where the file holds
// several, planned unless the record has a problem (its reason then kept in `error`).
Component record_component(const LoadContext& context, int input, InputKind code,
                           const SequenceRecord& record, size_t i, size_t records,
                           std::vector<std::string>* warnings, PlanError* problem) {
  const ComponentSpec& spec = context.options->components[static_cast<size_t>(input)];
  Component component;
  component.spec = spec;
  component.input = input;
  component.code = code;
  component.composition = record.composition;
  if (records > 1) {
    component.record = record.id;
    // An ID is bytes from the file: shown as the warnings show them, so that no report,
    // table or file name carries its control bytes.
    component.spec.label = record.id.empty() ? stem_of(spec.path) + "_" + std::to_string(i + 1)
                                             : printable_text(record.id);
  } else if (component.spec.label.empty()) {
    component.spec.label = stem_of(spec.path);
  }
  const std::string place =
      records > 1 ? spec.path + ", record " + component.spec.label : spec.path;
  std::string warning;
  *problem = record_problem(spec, place, record.composition, code, context.options->allow_unknown,
                            &warning);
  if (!warning.empty()) {
    warnings->push_back(warning);
  }
  component.error = problem->message;
  if (component.error.empty()) {
    component.makeup = chain_makeup(spec, record.composition, context);
  }
  return component;
}

bool load_sequences(const LoadContext& context, int input, std::vector<Component>* components,
                    std::vector<std::string>* warnings, PlanError* error) {
  const ComponentSpec& spec = context.options->components[static_cast<size_t>(input)];
  std::FILE* file = nullptr;
  std::string why;
  if (!open_sequence(spec, context.standard_input, &file, &why)) {
    *error = plan_error(input, "file", why);
    return false;
  }
  const InputKind code =
      spec.input == InputKind::kGuess ? input_kind(guess_code(file)) : spec.input;
  const RecordsRead read = read_records(file, data_code(code), spec.kind);
  if (file != context.standard_input) {
    std::fclose(file);
  }
  std::string setting = "file";
  why = read_problem(spec, code, read, &setting);
  if (!why.empty()) {
    *error = plan_error(input, setting, why);
    return false;
  }
  for (size_t i = 0; i < read.records.size(); ++i) {
    PlanError problem;
    components->push_back(record_component(context, input, code, read.records[i], i,
                                           read.records.size(), warnings, &problem));
    if (!problem.message.empty() && !context.options->records) {
      components->pop_back();
      problem.input = input;
      *error = problem;
      return false;
    }
  }
  return true;
}

}  // namespace

std::string stem_of(const std::string& path) {
  if (path == "-") {
    return "stdin";
  }
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

std::string check_entries(const std::string& place, const Composition& comp, bool allow_unknown,
                          std::string* warning) {
  if (comp.wrong_kind > 0) {
    return place + ": " + std::to_string(comp.wrong_kind) + " " + comp.first_wrong_kind +
           (comp.kind == ChainKind::kDna ? " in DNA (uracil belongs to RNA: give -t rna)"
                                         : " in RNA (thymine belongs to DNA: give -t dna)");
  }
  if (comp.unknown == 0) {
    return "";
  }
  const std::string what = place + ": " + entries(comp.unknown) + " no " +
                           (comp.kind == ChainKind::kProtein ? "residue" : "nucleotide") +
                           ", the first \"" + comp.first_unknown + "\"";
  if (!allow_unknown) {
    return what +
           "; correct the file, give its code with --code, or leave them out with "
           "--allow-unknown";
  }
  *warning = what + "; left out of the sums";
  return "";
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

Makeup chain_makeup(const ComponentSpec& spec, const Composition& comp, const LoadContext& context,
                    const std::vector<Part>& extra, double chains) {
  Makeup makeup;
  const UnitSet set = unit_set_of(*context.options);
  for (int i = 0; i < unit_count(comp.kind); ++i) {
    makeup.parts.push_back({chain_unit(comp.kind, i, set), comp.rows[i],
                            deuteration_of(spec, unit_name(comp.kind, i))});
  }
  const Element& d = *find_element("D");
  // Selenocysteine: S becomes Se. A disulfide takes away two labile thiol hydrogens,
  // which the units count as deuterium.
  makeup.parts.push_back({selenium_for_sulfur(), comp.selenium, 0.0});
  makeup.parts.push_back(
      {{d.mass, 0.0, d.length, 0.0, 1.0, 1.0}, -2.0 * static_cast<double>(spec.disulfides), 0.0});
  makeup.parts.insert(makeup.parts.end(), extra.begin(), extra.end());
  makeup.exchange = exchange_of(spec, *context.options);
  makeup.water = WATER_MASS * chains;
  if (spec.psv > 0.0) {
    makeup.volume = volume_from_psv(makeup, spec.psv, *context.solvent);
  }
  return makeup;
}

const char* code_name(InputKind code) {
  switch (code) {
    case InputKind::kThreeLetter:
      return "three-letter";
    case InputKind::kNumber:
      return "number";
    case InputKind::kStructure:
      return "structure";
    case InputKind::kGuess:
    case InputKind::kOneLetter:
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

bool load_components(const LoadContext& context, int input, std::vector<Component>* components,
                     std::vector<std::string>* warnings, PlanError* error) {
  const ComponentSpec& spec = context.options->components[static_cast<size_t>(input)];
  if (!spec.formula.empty()) {
    components->push_back(formula_component(context, input));
    return true;
  }
  if (spec.mass_kda > 0.0) {
    components->push_back(mass_component(context, input));
    return true;
  }
  if (is_structure(spec)) {
    return load_structure_components(context, input, components, warnings, error);
  }
  return load_sequences(context, input, components, warnings, error);
}
