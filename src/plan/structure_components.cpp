#include "plan/structure_components.h"

#include <algorithm>
#include <string>
#include <vector>

#include "residues/ligands.h"
#include "scattering/scattering_model.h"
#include "structure/structure_reader.h"

namespace {

// The chains of one component: all of `chains` named in `names` (or the one chain).
struct ChainGroup {
  std::string label;
  std::string names;  // of its chains: A, or A,B
  std::vector<const StructureChain*> chains;
  std::vector<const LigandSite*> nearby;  // ligands of chains without polymer, nearest here
};

std::vector<ChainGroup> groups_of(const ComponentSpec& spec,
                                  const std::vector<StructureChain>& chains, std::string* error) {
  std::vector<ChainGroup> groups;
  const std::string stem = stem_of(spec.path);
  if (spec.chains.empty()) {
    // Each chain is labelled by the file (or -l) and its name: 1hpv_A, 1hpv_B.
    const std::string base = spec.label.empty() ? stem : spec.label;
    for (const StructureChain& chain : chains) {
      if (!chain.sites.empty()) {
        const bool blank = chain.name.empty() || chain.name == " ";
        groups.push_back({blank ? base : base + "_" + chain.name, chain.name, {&chain}, {}});
      }
    }
    if (groups.size() == 1 && !spec.label.empty()) {
      groups.front().label = spec.label;
    }
    return groups;
  }
  ChainGroup group{"", "", {}, {}};
  for (const std::string& name : spec.chains) {
    const StructureChain* found = nullptr;
    for (const StructureChain& chain : chains) {
      found = chain.name == name && !chain.sites.empty() ? &chain : found;
    }
    if (found == nullptr) {
      *error = spec.path + ": holds no polymer chain " + name;
      return {};
    }
    if (!group.chains.empty() && group.chains.front()->kind != found->kind) {
      *error = spec.path + ": chains " + spec.chains.front() + " and " + name +
               " are of different types; give them as two components";
      return {};
    }
    group.chains.push_back(found);
    group.names += (group.names.empty() ? "" : ",") + name;
    group.label += (group.label.empty() ? stem + "_" : "+") + name;
  }
  if (!spec.label.empty()) {
    group.label = spec.label;
  }
  groups.push_back(group);
  return groups;
}

double distance2(double ax, double ay, double az, double bx, double by, double bz) {
  return (ax - bx) * (ax - bx) + (ay - by) * (ay - by) + (az - bz) * (az - bz);
}

// Ligands in chains of their own (an inhibitor, a heme) belong to the polymer chain
// that holds the residue nearest to them, and go with that chain's group, if any.
void adopt_orphan_ligands(const std::vector<StructureChain>& chains,
                          std::vector<ChainGroup>* groups) {
  for (const StructureChain& chain : chains) {
    if (!chain.sites.empty()) {
      continue;
    }
    for (const LigandSite& ligand : chain.ligands) {
      const StructureChain* nearest = nullptr;
      double best = 0.0;
      for (const StructureChain& other : chains) {
        for (const Site& site : other.sites) {
          const double d = distance2(site.x, site.y, site.z, ligand.x, ligand.y, ligand.z);
          if (nearest == nullptr || d < best) {
            nearest = &other;
            best = d;
          }
        }
      }
      for (ChainGroup& group : *groups) {
        for (const StructureChain* member : group.chains) {
          if (member == nearest) {
            group.nearby.push_back(&ligand);
          }
        }
      }
    }
  }
}

// The sequence composition of a group and what the report says of how it was read.
Composition composition_of(const ChainGroup& group, std::vector<std::string>* notes) {
  Composition comp{};
  comp.kind = group.chains.front()->kind;
  int64_t missing = 0, waters = 0;
  std::string modified, skipped;
  for (const StructureChain* chain : group.chains) {
    for (const Site& site : chain->sites) {
      comp.rows[site.unit] += 1.0;
      comp.selenium += site.selenium ? 1.0 : 0.0;
      ++comp.residues;
    }
    comp.unknown += chain->unknown;
    if (comp.first_unknown.empty()) {
      comp.first_unknown = chain->first_unknown;
    }
    missing += chain->missing;
    waters += chain->waters;
    for (const auto& entry : chain->modified) {
      modified +=
          (modified.empty() ? "" : ", ") + entry.first + " x" + std::to_string(entry.second);
    }
    for (const std::string& name : chain->skipped_ligands) {
      skipped += (skipped.empty() ? "" : ", ") + name;
    }
  }
  if (!modified.empty()) {
    notes->push_back("modified residues counted as their parents (MSE as MET with Se): " +
                     modified);
  }
  if (missing > 0) {
    notes->push_back(std::to_string(missing) +
                     (missing == 1 ? " residue of the sequence records is"
                                   : " residues of the sequence records are") +
                     " not in the model; the sums use the " + std::to_string(comp.residues) +
                     " modelled");
  }
  if (waters > 0) {
    notes->push_back(std::to_string(waters) + (waters == 1 ? " water" : " waters") + " skipped");
  }
  if (!skipped.empty()) {
    notes->push_back("ligands with elements the planner lacks, left out: " + skipped);
  }
  return comp;
}

// What a 5' end without its phosphate lacks: the sodium phosphate of the unit, and a
// share of the unit's volume in proportion to its mass.
Unit missing_phosphate(const Unit& nucleotide) {
  Unit phosphate{};
  std::string error;
  parse_formula("NaPO3", 0.0, &phosphate, &error);
  phosphate.volume = nucleotide.volume * phosphate.mass / nucleotide.mass;
  return phosphate;
}

Unit minus(Unit a, const Unit& b) {
  a.mass -= b.mass;
  a.volume -= b.volume;
  a.length -= b.length;
  a.electrons -= b.electrons;
  return a;
}

// The distinct names in their first order.
std::vector<std::string> counted_names(const std::vector<std::string>& names) {
  std::vector<std::string> distinct;
  for (const std::string& name : names) {
    if (std::find(distinct.begin(), distinct.end(), name) == distinct.end()) {
      distinct.push_back(name);
    }
  }
  return distinct;
}

// "NAG x2, MAN x3"
std::string counted(const std::vector<std::string>& names) {
  std::vector<std::pair<std::string, int>> counts;
  for (const std::string& name : names) {
    bool found = false;
    for (auto& entry : counts) {
      if (entry.first == name) {
        ++entry.second;
        found = true;
      }
    }
    if (!found) {
      counts.emplace_back(name, 1);
    }
  }
  std::string text;
  for (const auto& [name, count] : counts) {
    text += (text.empty() ? "" : ", ") + name + (count > 1 ? " x" + std::to_string(count) : "");
  }
  return text;
}

// Places every residue of the group, its glycans, and its other ligands when they are
// added; the parts of glycans and ligands go to `*extra_parts`, to join the sums before
// a volume is taken from --psv. A nucleic-acid chain whose model has no 5' phosphorus
// loses that phosphate.
// What a site's named protonation adds to its unit: labile hydrogens, which the units
// count as deuterium, and electrons where a hydrogen atom (not a proton) goes.
Unit protonation(const Site& site) {
  const Element& d = *find_element("D");
  return {site.labile_change * d.mass, 0.0, site.labile_change * d.length, 0.0, site.labile_change,
          site.electron_change};
}

Unit plus(const Unit& a, const Unit& b) {
  return {a.mass + b.mass,
          a.volume + b.volume,
          a.length + b.length,
          a.nonexchangeable_h + b.nonexchangeable_h,
          a.exchangeable_h + b.exchangeable_h,
          a.electrons + b.electrons};
}

constexpr double LIGAND_PSV = 0.73;  // cm^3/g, a ligand's volume from its mass

// How a ligand of the model is counted.
enum class LigandSource { kGlycan, kGiven, kDictionary, kModelled, kModelledWithoutH };

// A ligand formula's volume: its mass as weighed (labile H as H) at LIGAND_PSV.
double formula_volume(const Unit& unit) {
  return unit_weighed_mass(unit) * LIGAND_PSV * ANGSTROM3_PER_CM3_MOL;
}

// A ligand's unit: the formula given with --ligand, else the dictionary's formula of
// a common ligand, else its modelled atoms (hydrogens only where modelled, none labile).
// Formulas take their volume from the mass as weighed at 0.73 cm^3/g, as modelled
// ligands do.
LigandSource ligand_unit_of(const LigandSite& ligand, const SeriesOptions& options, Unit* unit) {
  if (ligand.glycan) {
    *unit = ligand.unit;
    return LigandSource::kGlycan;
  }
  for (const GivenLigand& given : options.ligand_formulas) {
    if (given.name == ligand.name) {
      *unit = given.unit;
      unit->volume = formula_volume(*unit);
      return LigandSource::kGiven;
    }
  }
  const LigandFormula* row = find_ligand(ligand.name);
  std::string ignored;
  if (row != nullptr && parse_formula(row->formula, row->labile, unit, &ignored)) {
    unit->volume = formula_volume(*unit);
    return LigandSource::kDictionary;
  }
  *unit = ligand.unit;
  const bool has_h = unit->nonexchangeable_h > 0.0;
  // An organic molecule has hydrogens; an oxo-anion (SO4, PO4) or an ion has none.
  const bool needs_h =
      std::any_of(ligand.atoms.begin(), ligand.atoms.end(),
                  [](const AtomPoint& a) { return std::string(a.element) == "C"; });
  return has_h || !needs_h ? LigandSource::kModelled : LigandSource::kModelledWithoutH;
}

// What the report says of the ligands, by how each was counted; a ligand counted
// without the hydrogens its model lacks is a warning, since its mass and length are
// then too small.
void note_ligands(const std::vector<std::string> (&by_source)[5], bool ligands,
                  const std::string& place, std::vector<std::string>* notes,
                  std::vector<std::string>* warnings) {
  const auto of = [&](LigandSource source) -> const std::vector<std::string>& {
    return by_source[static_cast<int>(source)];
  };
  if (!of(LigandSource::kGlycan).empty()) {
    notes->push_back("glycan residues counted with Perkins' compositions and volumes: " +
                     counted(of(LigandSource::kGlycan)));
  }
  std::vector<std::string> others = of(LigandSource::kGiven);
  for (const LigandSource source :
       {LigandSource::kDictionary, LigandSource::kModelled, LigandSource::kModelledWithoutH}) {
    others.insert(others.end(), of(source).begin(), of(source).end());
  }
  if (!ligands) {
    if (!others.empty()) {
      notes->push_back("ligands left out (add them with --ligands): " + counted(others));
    }
    return;
  }
  const struct {
    LigandSource source;
    const char* text;
  } kinds[] = {
      {LigandSource::kGiven,
       "ligands added by the formulas given with --ligand (volume at 0.73 cm^3/g): "},
      {LigandSource::kDictionary,
       "ligands added by their formulas in the Chemical Component Dictionary (labile H "
       "exchanging; volume at 0.73 cm^3/g): "},
      {LigandSource::kModelled,
       "ligands added as modelled (hydrogens only where modelled, none labile; volume at "
       "0.73 cm^3/g): "},
      {LigandSource::kModelledWithoutH,
       "ligands added as modelled, without the hydrogens the model lacks (volume at 0.73 "
       "cm^3/g): "},
  };
  for (const auto& kind : kinds) {
    if (!of(kind.source).empty()) {
      notes->push_back(kind.text + counted(of(kind.source)));
    }
  }
  for (const std::string& name : counted_names(of(LigandSource::kModelledWithoutH))) {
    warnings->push_back(place + ": ligand " + name +
                        " is in no table of the planner and its model has no hydrogens: it is "
                        "counted without them, too light; give its formula with --ligand " +
                        name + "=FORMULA:LABILE");
  }
}

void place(const LoadContext& context, const ComponentSpec& spec, const ChainGroup& group,
           Component* component, std::vector<Part>* extra_parts,
           std::vector<std::string>* warnings) {
  const ChainKind kind = group.chains.front()->kind;
  const bool ligands = context.options->ligands;
  const UnitSet set = unit_set_of(*context.options);
  const double exchange = exchange_of(spec, *context.options);
  const Unit selenium = selenium_for_sulfur();
  std::vector<std::string> by_source[5];
  const auto add_ligand = [&](const LigandSite& ligand) {
    Unit unit{};
    const LigandSource source = ligand_unit_of(ligand, *context.options, &unit);
    by_source[static_cast<int>(source)].push_back(ligand.name);
    if (source == LigandSource::kGlycan || ligands) {
      extra_parts->push_back({unit, 1.0, 0.0});
      component->placed.push_back(
          {unit, 0.0, exchange, ligand.x, ligand.y, ligand.z, ligand.atoms, ligand.copy});
    }
  };
  for (const LigandSite* ligand : group.nearby) {
    add_ligand(*ligand);
  }
  int unphosphorylated = 0;
  for (const StructureChain* chain : group.chains) {
    for (size_t i = 0; i < chain->sites.size(); ++i) {
      const Site& site = chain->sites[i];
      Unit unit = chain_unit(kind, site.unit, set);
      if (site.selenium) {
        unit.mass += selenium.mass;
        unit.length += selenium.length;
        unit.electrons += selenium.electrons;
      }
      if (site.labile_change != 0.0 || site.electron_change != 0.0) {
        const Unit change = protonation(site);
        unit = plus(unit, change);
        extra_parts->push_back({change, 1.0, 0.0});
      }
      if (i == 0 && kind != ChainKind::kProtein && !chain->first_phosphate) {
        const Unit phosphate = missing_phosphate(unit);
        extra_parts->push_back({phosphate, -1.0, 0.0});
        unit = minus(unit, phosphate);
        ++unphosphorylated;
      }
      component->placed.push_back({unit, deuteration_of(spec, unit_name(kind, site.unit)), exchange,
                                   site.x, site.y, site.z, site.atoms, chain->copy});
    }
    for (const LigandSite& ligand : chain->ligands) {
      add_ligand(ligand);
    }
  }
  if (unphosphorylated > 0) {
    component->notes.push_back(
        std::to_string(unphosphorylated) +
        " 5' end(s) without a phosphate in the model: NaPO3 taken off each, with its share of "
        "the nucleotide's volume");
  }
  note_ligands(by_source, ligands, spec.path + " " + component->spec.label, &component->notes,
               warnings);
}

// A volume from --psv spreads over the placed units in proportion to their own.
void spread_volume(double volume, std::vector<PlacedUnit>* placed) {
  double sum = 0.0;
  for (const PlacedUnit& u : *placed) {
    sum += u.unit.volume;
  }
  for (PlacedUnit& u : *placed) {
    u.unit.volume *= volume / sum;
  }
}

}  // namespace

bool load_structure_components(const LoadContext& context, int input,
                               std::vector<Component>* components,
                               std::vector<std::string>* warnings, PlanError* error) {
  const ComponentSpec& spec = context.options->components[static_cast<size_t>(input)];
  StructureModel model;
  model.assembly = static_cast<int>(spec.assembly);
  std::string message;
  const bool read = spec.from_text ? read_structure_bytes(spec.text, spec.path, &model, &message)
                                   : read_structure(spec.path, &model, &message);
  if (!read) {
    *error = plan_error(input, "file", message);
    return false;
  }
  warnings->insert(warnings->end(), model.warnings.begin(), model.warnings.end());
  std::vector<ChainGroup> groups = groups_of(spec, model.chains, &message);
  if (groups.empty()) {
    *error = plan_error(input, "--chains", message);
    error->usage = true;
    return false;
  }
  adopt_orphan_ligands(model.chains, &groups);
  for (const ChainGroup& group : groups) {
    Component component;
    component.spec = spec;
    component.input = input;
    component.record = group.names;
    component.code = InputKind::kStructure;
    component.copies = model.copies;
    component.spec.kind = group.chains.front()->kind;
    component.spec.label = group.label;
    component.composition = composition_of(group, &component.notes);
    std::string warning;
    message = check_entries(spec.path + " " + component.spec.label, component.composition,
                            context.options->allow_unknown, &warning);
    if (!warning.empty()) {
      warnings->push_back(warning);
    }
    if (!message.empty()) {
      *error = plan_error(input, "file", message);
      return false;
    }
    std::vector<Part> extra_parts;
    place(context, component.spec, group, &component, &extra_parts, warnings);
    component.makeup = chain_makeup(component.spec, component.composition, context, extra_parts,
                                    static_cast<double>(group.chains.size()));
    if (component.makeup.volume > 0.0) {
      spread_volume(component.makeup.volume, &component.placed);
    }
    components->push_back(component);
  }
  return true;
}
