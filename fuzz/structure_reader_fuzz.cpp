// Fuzzes the structure reader with arbitrary bytes, read as a PDB file, an mmCIF file
// and a gzipped file, and the same bytes gzipped, through the path the planner takes
// (read_structure_bytes). A file is refused or read; one that is read has a polymer
// chain and gives finite figures: each chain's sums at 0 and 100 % D2O and its radius
// of gyration.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scattering/contrast_series.h"
#include "scattering/radius_of_gyration.h"
#include "structure/structure_reader.h"
#include "test_util.h"

namespace {

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

void check_figures(const StructureModel& model) {
  static const Solvent solvent = make_solvent(20.0, 1.0, {});
  bool any = false;
  for (const StructureChain& chain : model.chains) {
    if (chain.sites.empty()) {
      continue;
    }
    any = true;
    Makeup makeup;
    std::vector<PlacedUnit> placed;
    for (const Site& site : chain.sites) {
      check(site.unit >= 0 && site.unit < unit_count(chain.kind), "a site names no unit");
      const Unit& unit = chain_unit(chain.kind, site.unit);
      makeup.parts.push_back({unit, 1.0, 0.0});
      placed.push_back({unit, 0.0, 1.0, site.x, site.y, site.z, {}});
    }
    for (const LigandSite& ligand : chain.ligands) {
      makeup.parts.push_back({ligand.unit, 1.0, 0.0});
      placed.push_back({ligand.unit, 0.0, 1.0, ligand.x, ligand.y, ligand.z, {}});
    }
    for (double x : {0.0, 1.0}) {
      const SeriesPoint p = series_point(makeup, solvent, x);
      check(std::isfinite(p.mass) && std::isfinite(p.contrast) && std::isfinite(p.volume) &&
                p.volume > 0.0,
            "a chain's sums are not finite");
      const Gyration g = radius_of_gyration(placed, solvent, x);
      check(!g.defined || std::isfinite(g.rg2), "a defined Rg^2 is not finite");
    }
  }
  check(any, "a structure was read without a polymer chain");
}

void read_as(const std::string& bytes, const char* name) {
  StructureModel model;
  std::string error;
  if (read_structure_bytes(bytes, name, &model, &error)) {
    check(error.empty(), "an error was set for a file that was read");
    check_figures(model);
  } else {
    check(!error.empty() && error.find('\n') == std::string::npos,
          "a refusal without a one-line message");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  read_as(bytes, "fuzz.pdb");
  read_as(bytes, "fuzz.cif");
  read_as(bytes, "fuzz.pdb.gz");
  read_as(gzip_bytes(bytes), "fuzz.cif.gz");
  return 0;
}
