// The one file that includes gemmi, and so the one that compiles its coordinate parser.
// gemmi reports a malformed file by throwing; this file alone is built with exceptions,
// and catches them here, so that the rest of the program sees an error value. It reads
// from memory: files are read, decompressed and checked by structure_files.cpp.
#include "structure/structure_parser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>

#include <gemmi/assembly.hpp>
#include <gemmi/mmread.hpp>
#include <gemmi/polyheur.hpp>
#include <gemmi/resinfo.hpp>

#include "residues/perkins.h"

namespace {

constexpr size_t PDB_COLUMNS = 80;
constexpr size_t CONNECTION_DISTANCE = 73;  // where an SSBOND or LINK distance begins

// Residue names of the CHARMM and AMBER force fields, which simulation programs write:
// the residue each is, and the protonation it names against that residue's row (HIS
// charged, ASP and GLU charged, LYS and ARG charged, CYS with its thiol H).
struct SimulationName {
  const char* name;
  const char* parent;
  double labile_change;
  double electron_change;
};

const SimulationName SIMULATION_NAMES[] = {
    {"HSD", "HIS", -1, 0}, {"HSE", "HIS", -1, 0}, {"HID", "HIS", -1, 0},  {"HIE", "HIS", -1, 0},
    {"HSP", "HIS", 0, 0},  {"HIP", "HIS", 0, 0},  {"CYX", "CYS", -1, -1}, {"CYM", "CYS", -1, 0},
    {"ASH", "ASP", 1, 0},  {"GLH", "GLU", 1, 0},  {"ASPP", "ASP", 1, 0},  {"GLUP", "GLU", 1, 0},
    {"LYN", "LYS", -1, 0}, {"LSN", "LYS", -1, 0}, {"ARN", "ARG", -1, 0},  {"THY", "DT", 0, 0},
    {"URA", "U", 0, 0},    {"DA5", "DA", 0, 0},   {"DA3", "DA", 0, 0},    {"DAN", "DA", 0, 0},
    {"DC5", "DC", 0, 0},   {"DC3", "DC", 0, 0},   {"DCN", "DC", 0, 0},    {"DG5", "DG", 0, 0},
    {"DG3", "DG", 0, 0},   {"DGN", "DG", 0, 0},   {"DT5", "DT", 0, 0},    {"DT3", "DT", 0, 0},
    {"DTN", "DT", 0, 0},   {"RA5", "A", 0, 0},    {"RA3", "A", 0, 0},     {"RAN", "A", 0, 0},
    {"RC5", "C", 0, 0},    {"RC3", "C", 0, 0},    {"RCN", "C", 0, 0},     {"RG5", "G", 0, 0},
    {"RG3", "G", 0, 0},    {"RGN", "G", 0, 0},    {"RU5", "U", 0, 0},     {"RU3", "U", 0, 0},
    {"RUN", "U", 0, 0},    {"RA", "A", 0, 0},     {"RC", "C", 0, 0},      {"RG", "G", 0, 0},
    {"RU", "U", 0, 0},     {"A5", "A", 0, 0},     {"A3", "A", 0, 0},      {"AN", "A", 0, 0},
    {"C5", "C", 0, 0},     {"C3", "C", 0, 0},     {"CN", "C", 0, 0},      {"G5", "G", 0, 0},
    {"G3", "G", 0, 0},     {"GN", "G", 0, 0},     {"U5", "U", 0, 0},      {"U3", "U", 0, 0},
    {"UN", "U", 0, 0},
};

// CHARMM names ADE, GUA and CYT alike in DNA and RNA: a ribose has its O2'.
const char* nucleic_parent(const gemmi::Residue& r) {
  const bool ribose = r.find_atom("O2'", '*') != nullptr || r.find_atom("O2*", '*') != nullptr;
  if (r.name == "ADE") {
    return ribose ? "A" : "DA";
  }
  if (r.name == "GUA") {
    return ribose ? "G" : "DG";
  }
  if (r.name == "CYT") {
    return ribose ? "C" : "DC";
  }
  return nullptr;
}

// The simulation name's row for `r`, or a row of no change naming `r` itself.
SimulationName simulation_name(const gemmi::Residue& r) {
  for (const SimulationName& known : SIMULATION_NAMES) {
    if (r.name == known.name) {
      return known;
    }
  }
  const char* nucleic = nucleic_parent(r);
  return {r.name.c_str(), nucleic != nullptr ? nucleic : r.name.c_str(), 0, 0};
}

gemmi::ResidueInfo residue_info(const gemmi::Residue& r) {
  return gemmi::find_tabulated_residue(simulation_name(r).parent);
}

// The unit a polymer residue counts as, by its chain type: its own, or the parent of a
// modified one (MSE as MET, D-amino acids as their L forms); -1 for none.
int unit_of_residue(ChainKind kind, const gemmi::ResidueInfo& info, bool* modified) {
  const char code =
      static_cast<char>(std::toupper(static_cast<unsigned char>(info.one_letter_code)));
  *modified = !info.is_standard();
  if (kind == ChainKind::kProtein) {
    if (!info.is_amino_acid()) {
      return -1;
    }
    const int32_t row = one_letter_number(code, -1);
    return row >= 0 ? row : -1;
  }
  const char* letters = kind == ChainKind::kDna ? "ACGT" : "ACGU";
  const bool fits = kind == ChainKind::kDna ? info.is_dna() : info.is_rna();
  for (int i = 0; fits && i < 4; ++i) {
    if (code == letters[i]) {
      return i;
    }
  }
  return -1;
}

ChainKind kind_of(const gemmi::Chain& chain) {
  int amino = 0, dna = 0, rna = 0;
  for (const gemmi::Residue& r : chain.residues) {
    if (r.entity_type != gemmi::EntityType::Polymer) {
      continue;
    }
    const gemmi::ResidueInfo info = residue_info(r);
    amino += info.is_amino_acid() ? 1 : 0;
    dna += info.is_dna() ? 1 : 0;
    rna += info.is_rna() ? 1 : 0;
  }
  return dna > amino && dna >= rna  ? ChainKind::kDna
         : rna > amino && rna > dna ? ChainKind::kRna
                                    : ChainKind::kProtein;
}

// The mean position of a residue's non-hydrogen atoms, alternate locations once, and
// the atoms themselves.
bool centre_of(const gemmi::Residue& r, double* x, double* y, double* z,
               std::vector<AtomPoint>* atoms) {
  double sx = 0, sy = 0, sz = 0;
  int n = 0;
  for (const gemmi::Atom& atom : r.first_conformer()) {
    if (!atom.is_hydrogen()) {
      sx += atom.pos.x;
      sy += atom.pos.y;
      sz += atom.pos.z;
      ++n;
      AtomPoint point{{0, 0, 0}, atom.pos.x, atom.pos.y, atom.pos.z};
      const char* name = atom.element.name();
      point.element[0] = name[0];
      point.element[1] = name[0] != '\0' ? name[1] : '\0';
      atoms->push_back(point);
    }
  }
  if (n == 0) {
    return false;
  }
  *x = sx / n;
  *y = sy / n;
  *z = sz / n;
  return true;
}

// A ligand's element counts as one unit; false when an element is not in the table.
bool ligand_unit(const gemmi::Residue& r, Unit* unit) {
  *unit = Unit{};
  for (const gemmi::Atom& atom : r.first_conformer()) {
    std::string symbol = atom.element.name();
    const Element* element = find_element(symbol == "D" ? "D" : symbol);
    if (element == nullptr) {
      return false;
    }
    unit->mass += element->mass;
    unit->length += element->length;
    unit->electrons += element->electrons;
    unit->nonexchangeable_h += symbol == "H" ? 1.0 : 0.0;
  }
  unit->volume = unit->mass * 0.73 * ANGSTROM3_PER_CM3_MOL;
  return true;
}

void note_modified(const std::string& name, StructureChain* chain) {
  for (auto& entry : chain->modified) {
    if (entry.first == name) {
      ++entry.second;
      return;
    }
  }
  chain->modified.emplace_back(name, 1);
}

void add_residue(const gemmi::Residue& r, StructureChain* chain) {
  double x = 0, y = 0, z = 0;
  if (r.entity_type == gemmi::EntityType::Water || r.is_water()) {
    ++chain->waters;
    return;
  }
  const gemmi::ResidueInfo info = residue_info(r);
  // Caps (ACE, NH2) and sugars inside a polymer are no residues of its chain type:
  // they count as ligands, like those outside.
  const bool chain_residue = info.is_amino_acid() || info.is_nucleic_acid() || !info.found();
  // An ATOM record after a TER of its chain is still the chain's, as when a chain comes
  // in two parts.
  const bool polymer =
      r.entity_type == gemmi::EntityType::Polymer || (r.het_flag == 'A' && chain_residue);
  if (!polymer || !chain_residue) {
    LigandSite ligand{r.name, {}, false, 0, 0, 0, {}};
    const Unit* glycan = glycan_unit(r.name);
    ligand.glycan = glycan != nullptr;
    if (glycan != nullptr) {
      ligand.unit = *glycan;
    } else if (!ligand_unit(r, &ligand.unit)) {
      chain->skipped_ligands.push_back(r.name);
      return;
    }
    if (!centre_of(r, &ligand.x, &ligand.y, &ligand.z, &ligand.atoms)) {
      chain->skipped_ligands.push_back(r.name);
      return;
    }
    chain->ligands.push_back(ligand);
    return;
  }
  bool modified = false;
  const int unit = unit_of_residue(chain->kind, info, &modified);
  std::vector<AtomPoint> atoms;
  if (unit < 0 || !centre_of(r, &x, &y, &z, &atoms)) {
    if (chain->unknown++ == 0) {
      chain->first_unknown = r.name;
    }
    return;
  }
  if (modified) {
    note_modified(r.name, chain);
  }
  if (chain->sites.empty() && chain->kind != ChainKind::kProtein) {
    chain->first_phosphate = r.find_atom("P", '*') != nullptr;
  }
  const SimulationName as = simulation_name(r);
  chain->sites.push_back(
      {unit, r.name == "MSE", as.labile_change, as.electron_change, x, y, z, std::move(atoms)});
}

// The length of the sequence records of the entity a chain's polymer belongs to.
int64_t sequence_length(const gemmi::Structure& st, const gemmi::Chain& chain) {
  for (const gemmi::Residue& r : chain.residues) {
    if (r.entity_type != gemmi::EntityType::Polymer) {
      continue;
    }
    for (const gemmi::Entity& entity : st.entities) {
      for (const std::string& sub : entity.subchains) {
        if (sub == r.subchain) {
          return static_cast<int64_t>(entity.full_sequence.size());
        }
      }
    }
  }
  return 0;
}

void read_chains(gemmi::Structure& st, size_t copies, std::vector<StructureChain>* chains) {
  gemmi::setup_entities(st);
  const std::vector<gemmi::Chain>& all = st.models.front().chains;
  for (size_t index = 0; index < all.size(); ++index) {
    const gemmi::Chain& chain = all[index];
    StructureChain* target = nullptr;
    for (StructureChain& known : *chains) {
      target = known.name == chain.name ? &known : target;  // a chain split in parts
    }
    if (target == nullptr) {
      chains->emplace_back();
      target = &chains->back();
      target->name = chain.name;
      target->kind = kind_of(chain);
      // An assembly's chains come operator by operator, each operator's alike.
      target->copy = static_cast<int>(index / std::max<size_t>(1, all.size() / copies));
    }
    for (const gemmi::Residue& r : chain.first_conformer()) {
      add_residue(r, target);
    }
    target->sequence_length = std::max(target->sequence_length, sequence_length(st, chain));
  }
  for (StructureChain& chain : *chains) {
    for (LigandSite& ligand : chain.ligands) {
      ligand.copy = chain.copy;
    }
    const auto modelled = static_cast<int64_t>(chain.sites.size()) + chain.unknown;
    chain.missing = chain.sequence_length > modelled ? chain.sequence_length - modelled : 0;
  }
}

// Whether model 0 holds a residue of one of `subchains`.
bool any_residue_of(const gemmi::Structure& st, const std::vector<std::string>& subchains) {
  for (const gemmi::Chain& chain : st.models.front().chains) {
    for (const gemmi::Residue& r : chain.residues) {
      for (const std::string& sub : subchains) {
        if (r.subchain == sub) {
          return true;
        }
      }
    }
  }
  return false;
}

// Chains the sequence records describe but the model holds no residue of: a file cut
// short loses whole chains at its end, and nothing else would tell. `records` are the
// entities as read, before gemmi sorts them: a PDB file's are named by SEQRES chains.
void note_unmodelled(const gemmi::Structure& st, const std::vector<gemmi::Entity>& records,
                     StructureFormat format, const std::string& name, StructureModel* model) {
  std::string missing;
  for (const gemmi::Entity& entity : format == StructureFormat::kPdb ? records : st.entities) {
    if (entity.full_sequence.empty()) {
      continue;
    }
    bool modelled = false;
    if (format == StructureFormat::kPdb) {
      for (const StructureChain& chain : model->chains) {
        modelled = modelled || (chain.name == entity.name && !chain.sites.empty());
      }
    } else {
      modelled = any_residue_of(st, entity.subchains);
    }
    if (!modelled) {
      missing += (missing.empty() ? "" : ", ") + entity.name;
    }
  }
  if (!missing.empty()) {
    model->warnings.push_back(name + ": the sequence records name " +
                              (format == StructureFormat::kPdb ? "chains " : "entities ") +
                              missing + ", of which the model holds no residue");
  }
}

// gemmi's messages may run over lines and quote the file's bytes; ours are one line.
std::string one_line(const std::string& text) {
  std::string line;
  for (char c : text) {
    const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    if (control && (line.empty() || line.back() == ' ')) {
      continue;
    }
    line += control ? ' ' : c;
    if (line.size() >= 160) {
      return line + "...";
    }
  }
  while (!line.empty() && line.back() == ' ') {
    line.pop_back();
  }
  return line;
}

// Coordinates a molecule can have: finite, and within a million angstrom, so that no
// sum of their squares overflows.
bool sane(const StructureChain& chain) {
  const auto fits = [](double x, double y, double z) {
    return std::fabs(x) < 1e6 && std::fabs(y) < 1e6 && std::fabs(z) < 1e6;
  };
  for (const Site& site : chain.sites) {
    if (!fits(site.x, site.y, site.z)) {
      return false;
    }
  }
  for (const LigandSite& ligand : chain.ligands) {
    if (!fits(ligand.x, ligand.y, ligand.z)) {
      return false;
    }
  }
  return true;
}

// A PDB file's lines are 80 columns. gemmi reads its fields at fixed columns, and on a
// shorter line it reads past the line's end (into the next line's bytes), so every
// line is padded with spaces to 80 columns first, as the format has them. A longer
// line is cut at 80: gemmi skips the rest of a long line only up to its first byte
// above 127 and would read what follows as a record of its own, unpadded. It keeps
// SSBOND and LINK records as they are (to 78 columns) and reads their distance from
// columns 74-78 as a number that may run on ("infinity"), past the record's end; the
// planner does not use those distances, so they are blanked.
std::string padded_lines(const std::string& text) {
  std::string padded;
  padded.reserve(text.size() + text.size() / 4);
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string::npos;
    end = last ? text.size() : end;
    const size_t content = end > start && text[end - 1] == '\r' ? end - 1 : end;
    const size_t line = padded.size();
    const size_t length = std::min(content - start, PDB_COLUMNS);
    padded.append(text, start, length);
    padded.append(PDB_COLUMNS - length, ' ');
    std::string record = padded.substr(line, 4);
    for (char& c : record) {
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (record == "SSBO" || record == "LINK") {
      padded.replace(line + CONNECTION_DISTANCE, PDB_COLUMNS - CONNECTION_DISTANCE,
                     PDB_COLUMNS - CONNECTION_DISTANCE, ' ');
    }
    padded.append(text, content, end - content + (last ? 0 : 1));
    start = end + 1;
  }
  return padded;
}

gemmi::Structure parse(const std::string& text, const std::string& name, StructureFormat format) {
  if (format == StructureFormat::kMmcif) {
    return gemmi::make_structure(gemmi::cif::read_memory(text.data(), text.size(), name.c_str()));
  }
  // Columns 79-80 of a PDB file hold formal charges, which the sums do not use and
  // some files fill with other things; reading 78 columns keeps such a file readable.
  gemmi::PdbReadOptions options;
  options.max_line_length = 78;
  const std::string padded = padded_lines(text);
  return gemmi::read_pdb_from_memory(padded.data(), padded.size(), name, options);
}

// Whether the operators, the first the identity, are a group: no two alike, and every
// g_a^-1 g_b one of them, to 1e-4 in the rotation and 1e-3 angstrom in the translation
// (a file's operators carry five or six decimals). A repeated operator would put two
// copies on one place, which a sum over the first copy's pairs would miscount.
bool forms_a_group(const std::vector<gemmi::Assembly::Operator>& operators) {
  if (operators.size() < 2 || !operators.front().transform.approx(gemmi::Transform(), 1e-6)) {
    return false;
  }
  const auto alike = [](const gemmi::Transform& p, const gemmi::Transform& q) {
    return p.mat.approx(q.mat, 1e-4) && p.vec.approx(q.vec, 1e-3);
  };
  for (size_t a = 0; a < operators.size(); ++a) {
    for (size_t b = 0; b < a; ++b) {
      if (alike(operators[a].transform, operators[b].transform)) {
        return false;
      }
    }
  }
  for (const gemmi::Assembly::Operator& a : operators) {
    const gemmi::Transform inverse = a.transform.inverse();
    for (const gemmi::Assembly::Operator& b : operators) {
      const gemmi::Transform product = inverse.combine(b.transform);
      bool found = false;
      for (const gemmi::Assembly::Operator& c : operators) {
        found = found || alike(product, c.transform);
      }
      if (!found) {
        return false;
      }
    }
  }
  return true;
}

// With model->assembly, the file's assembly of that place in place of the first model;
// without, a warning when the file's first assembly copies what it holds.
bool build_assembly(const std::string& name, gemmi::Structure* st, StructureModel* model,
                    std::string* error) {
  const size_t declared = st->assemblies.size();
  if (model->assembly == 0) {
    size_t copies = 0;
    if (declared > 0) {
      for (const gemmi::Assembly::Gen& gen : st->assemblies.front().generators) {
        copies = std::max(copies, gen.operators.size());
      }
    }
    if (copies > 1) {
      model->warnings.push_back(name + ": declares assembly 1 of " + std::to_string(copies) +
                                " copies of what it holds; give --assembly 1 to plan it whole");
    }
    return true;
  }
  if (static_cast<size_t>(model->assembly) > declared) {
    *error =
        name + ": declares " +
        (declared == 0 ? std::string("no assembly")
                       : std::to_string(declared) + (declared == 1 ? " assembly" : " assemblies")) +
        ", so no assembly " + std::to_string(model->assembly) +
        "; leave out --assembly or give one it declares";
    return false;
  }
  const gemmi::Assembly& assembly = st->assemblies[static_cast<size_t>(model->assembly - 1)];
  st->models.front() = gemmi::make_assembly(assembly, st->models.front(),
                                            gemmi::HowToNameCopiedChain::Short, nullptr);
  if (assembly.generators.size() == 1 && forms_a_group(assembly.generators.front().operators) &&
      st->models.front().chains.size() % assembly.generators.front().operators.size() == 0) {
    for (const gemmi::Assembly::Operator& op : assembly.generators.front().operators) {
      RigidMotion m{};
      for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
          m.r[3 * i + j] = op.transform.mat[i][j];
        }
      }
      m.t[0] = op.transform.vec.x;
      m.t[1] = op.transform.vec.y;
      m.t[2] = op.transform.vec.z;
      model->copies.push_back(m);
    }
  }
  return true;
}

}  // namespace

bool parse_structure(const std::string& text, const std::string& name, StructureFormat format,
                     StructureModel* model, std::string* error) {
  try {
    gemmi::Structure st = parse(text, name, format);
    if (st.models.empty()) {
      *error = name + ": holds no atoms; is it a structure file?";
      return false;
    }
    const std::vector<gemmi::Entity> records = st.entities;
    if (!build_assembly(name, &st, model, error)) {
      return false;
    }
    read_chains(st, std::max<size_t>(1, model->copies.size()), &model->chains);
    note_unmodelled(st, records, format, name, model);
  } catch (const std::exception& e) {
    *error = name + ": cannot be read as a structure (" + one_line(e.what()) + ")";
    return false;
  }
  bool any = false;
  for (const StructureChain& chain : model->chains) {
    any = any || !chain.sites.empty();
    if (!sane(chain)) {
      *error = name +
               ": holds coordinates that are not numbers or lie beyond a million "
               "angstrom; is it a structure file?";
      return false;
    }
  }
  if (!any) {
    *error = name + ": holds no polymer chain (protein, DNA or RNA) in its first model";
    return false;
  }
  return true;
}
