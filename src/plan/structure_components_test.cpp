#include "plan/structure_components.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const std::string MODEL = std::string(QUORVANE_GOLDEN_DIR) + "/structure_model_pdb/input/model.pdb";

std::vector<Component> load(const ComponentSpec& spec, bool ligands = false) {
  SeriesOptions options;
  options.components = {spec};
  options.components[0].path = MODEL;
  options.ligands = ligands;
  std::vector<Component> components;
  std::vector<std::string> warnings;
  PlanError error;
  EXPECT_TRUE(load_components({&options, nullptr}, 0, &components, &warnings, &error))
      << error.message;
  return components;
}

}  // namespace

// Chains are labelled by the file and their names, so that a model listed twice with
// different chains gives different labels.
TEST(LoadStructureComponents, LabelsNameTheChains) {
  struct Case {
    std::vector<std::string> chains;
    std::string label;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {{}, "", {"model_A", "model_B"}},
      {{}, "hiv", {"hiv_A", "hiv_B"}},
      {{"A"}, "", {"model_A"}},
      {{"A"}, "protease", {"protease"}},
  };
  for (const Case& c : cases) {
    ComponentSpec spec;
    spec.chains = c.chains;
    spec.label = c.label;
    std::vector<std::string> labels;
    for (const Component& component : load(spec)) {
      labels.push_back(component.spec.label);
    }
    EXPECT_EQ(c.labels, labels) << c.label;
  }
  // A protein and a DNA chain cannot be one component.
  SeriesOptions options;
  options.components.resize(1);
  options.components[0].path = MODEL;
  options.components[0].chains = {"A", "B"};
  std::vector<Component> components;
  std::vector<std::string> warnings;
  PlanError error;
  EXPECT_FALSE(load_components({&options, nullptr}, 0, &components, &warnings, &error));
  EXPECT_EQ(MODEL + ": chains A and B are of different types; give them as two components",
            error.message);
}

// --psv takes the volume from the mass with the ligands that --ligands adds. By hand:
// GLY GLY TRP MET(Se) ALA in H2O with a water, 567.495076 g/mol, and the SO4 as
// modelled (S and one O), 48.0644 g/mol: 615.559476 g/mol x 0.73 cm^3/g x 1e24 / N_A.
TEST(LoadStructureComponents, PsvCountsTheLigands) {
  ComponentSpec spec;
  spec.chains = {"A"};
  spec.psv = 0.73;
  EXPECT_NEAR(746.17721, load(spec, true).at(0).makeup.volume, 1e-5);
  EXPECT_NEAR(567.495076 * 0.73 * 1e24 / 6.02214076e23, load(spec, false).at(0).makeup.volume,
              1e-5);
}
