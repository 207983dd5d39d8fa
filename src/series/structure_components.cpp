#include "series/structure_components.h"

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
    for (const StructureChain& chain : chains) {
      if (!chain.sites.empty()) {
        const bool blank = chain.name.empty() || chain.name == " ";
        groups.push_back({blank ? stem : stem + " " + chain.name, chain.name, {&chain}, {}});
      }
    }
    return groups;
  }
  ChainGroup group{spec.label.empty() ? stem : spec.label, "", {}, {}};
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

// Places every residue (and ligand, when they are added) of the group.
void place(const ComponentSpec& spec, const ChainGroup& group, bool ligands, Component* component) {
  const ChainKind kind = group.chains.front()->kind;
  const Element& se = *find_element("Se");
  const Element& s = *find_element("S");
  std::string names;
  const auto add_ligand = [&](const LigandSite& ligand) {
    names += (names.empty() ? "" : ", ") + ligand.name;
    if (ligands) {
      component->makeup.parts.push_back({ligand.unit, 1.0, 0.0});
      component->placed.push_back({ligand.unit, 0.0, ligand.x, ligand.y, ligand.z});
    }
  };
  for (const LigandSite* ligand : group.nearby) {
    add_ligand(*ligand);
  }
  for (const StructureChain* chain : group.chains) {
    for (const Site& site : chain->sites) {
      Unit unit = chain_unit(kind, site.unit);
      if (site.selenium) {
        unit.mass += se.mass - s.mass;
        unit.length += se.length - s.length;
        unit.electrons += se.electrons - s.electrons;
      }
      component->placed.push_back(
          {unit, deuteration_of(spec, unit_name(kind, site.unit)), site.x, site.y, site.z});
    }
    for (const LigandSite& ligand : chain->ligands) {
      add_ligand(ligand);
    }
  }
  if (!names.empty()) {
    component->notes.push_back(
        ligands ? "ligands added as modelled (hydrogens only where modelled, none labile; "
                  "volume at 0.73 cm^3/g): " +
                      names
                : "ligands left out (add them with --ligands): " + names);
  }
}

}  // namespace

bool load_structure_components(const ComponentSpec& spec, const SeriesOptions& options,
                               std::vector<Component>* components,
                               std::vector<std::string>* warnings, std::string* error) {
  std::vector<StructureChain> chains;
  if (!read_structure(spec.path, &chains, error)) {
    return false;
  }
  std::vector<ChainGroup> groups = groups_of(spec, chains, error);
  if (groups.empty()) {
    return false;
  }
  adopt_orphan_ligands(chains, &groups);
  for (const ChainGroup& group : groups) {
    Component component{spec, group.names, DataCode::kOneLetter, {}, {}, WATER_MASS, {}, {}};
    component.spec.kind = group.chains.front()->kind;
    component.spec.label = spec.chains.empty() || spec.label.empty() ? group.label : spec.label;
    component.composition = composition_of(group, &component.notes);
    if (!check_unknown(spec.path + " " + component.spec.label, component.composition,
                       options.allow_unknown, warnings, error)) {
      return false;
    }
    component.makeup = chain_makeup(component.spec, component.composition);
    component.water = WATER_MASS * static_cast<double>(group.chains.size());
    place(component.spec, group, options.ligands, &component);
    if (component.makeup.volume > 0.0) {
      // A volume from --psv spreads over the residues in proportion to their own.
      double sum = 0.0;
      for (const PlacedUnit& u : component.placed) {
        sum += u.unit.volume;
      }
      for (PlacedUnit& u : component.placed) {
        u.unit.volume *= component.makeup.volume / sum;
      }
    }
    components->push_back(component);
  }
  return true;
}
