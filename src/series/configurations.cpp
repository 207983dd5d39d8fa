#include "series/configurations.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "series/option_checks.h"
#include "series/option_table.h"
#include "series/series_options.h"
#include "text/decimal.h"

namespace {

// One key of a [NAME] section: the field it sets and the values it takes.
struct ConfigurationKey {
  const char* key;
  double Configuration::*field;
  const Range* range;
};

const Range SOURCE_APERTURE{1, 100, false, false, "a source aperture diameter from 1 to 100 mm"};
const Range LENGTH{0.5, 40, false, false, "a collimation length from 0.5 to 40 m"};
const Range DISTANCE{0.5, 40, false, false, "a sample-to-detector distance from 0.5 to 40 m"};
const Range DETECTOR{50, 2000, false, false, "a detector side from 50 to 2000 mm"};
const Range PIXEL{0.5, 50, false, false, "a pixel size from 0.5 to 50 mm"};

const ConfigurationKey CONFIGURATION_KEYS[] = {
    {"wavelength", &Configuration::wavelength, &WAVELENGTH},
    {"spread", &Configuration::spread, &SPREAD},
    {"flux", &Configuration::flux, &FLUX},
    {"source-aperture", &Configuration::source_aperture, &SOURCE_APERTURE},
    {"aperture", &Configuration::sample_aperture, &APERTURE},
    {"collimation", &Configuration::collimation, &LENGTH},
    {"distance", &Configuration::distance, &DISTANCE},
    {"detector", &Configuration::detector, &DETECTOR},
    {"pixel", &Configuration::pixel, &PIXEL},
};

// Counts with what a long pinhole camera typically has: 8 m before and after the
// sample, a 50 mm source aperture, a 640 mm detector of 5 mm pixels (the detector of
// the NIST 8 m SANS instrument, ncnr.nist.gov).
Configuration typical_configuration(const SeriesOptions& options) {
  Configuration c = configuration_from(options, "default");
  c.collimation = 8.0;
  c.distance = 8.0;
  c.source_aperture = 50.0;
  c.detector = 640.0;
  c.pixel = 5.0;
  return c;
}

bool valid_name(const std::string& name) {
  return !name.empty() && name.size() <= 32 && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_';
  });
}

}  // namespace

bool section_name(const std::string& line, std::string* name) {
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') {
    return false;
  }
  *name = line.substr(1, line.size() - 2);
  return true;
}

Configuration configuration_from(const SeriesOptions& options, const std::string& name) {
  Configuration c;
  c.name = name;
  c.wavelength = options.wavelength;
  c.spread = options.spread;
  c.flux = options.flux;
  c.sample_aperture = options.aperture;
  return c;
}

std::string set_configuration(const std::string& key, const std::string& value, Configuration* c) {
  std::string keys;
  for (const ConfigurationKey& row : CONFIGURATION_KEYS) {
    if (key == row.key) {
      double x = 0.0;
      if (!parse_decimal(value, &x) || !row.range->contains(x)) {
        return row.range->expected;
      }
      c->*row.field = x;
      return "";
    }
    keys += (keys.empty() ? "" : ", ") + std::string(row.key);
  }
  return "unknown key '" + key + "'; the keys are " + keys;
}

bool resolve_configurations(SeriesOptions* options, PlanError* error) {
  options->configurations.clear();
  for (const Configuration& c : options->instrument_configs) {
    if (!valid_name(c.name)) {
      *error = plan_error(-1, "--instrument",
                          "--instrument " + options->instrument_path + ": section [" + c.name +
                              "] needs a name of letters, digits, '.', '-' or '_' (at most 32)");
      return false;
    }
  }
  for (const std::string& name : options->config_names) {
    const auto& file = options->instrument_configs;
    const auto found = std::find_if(file.begin(), file.end(),
                                    [&](const Configuration& c) { return c.name == name; });
    const auto& chosen = options->configurations;
    const bool twice = std::any_of(chosen.begin(), chosen.end(),
                                   [&](const Configuration& c) { return c.name == name; });
    if (found == file.end() || twice) {
      std::string names;  // the file's sections, for the message
      for (const Configuration& c : file) {
        names += (names.empty() ? "" : ", ") + c.name;
      }
      *error = plan_error(
          -1, "--configs",
          twice ? "--configs names " + name + " twice; name each configuration once"
          : options->instrument_path.empty()
              ? "--configs " + name +
                    ": configurations are [NAME] sections of an --instrument file; give one"
              : "--configs " + name + ": no such section in " + options->instrument_path +
                    (names.empty() ? " (it has none)" : "; it has " + names));
      error->usage = true;
      return false;
    }
    if (configuration_bins(*found).q.size() < 2) {
      *error = plan_error(-1, "--configs",
                          "--configs " + name + ": its direct beam (" +
                              std::to_string(std::lround(beam_radius(*found))) +
                              " mm in radius) leaves fewer than two rings of pixels on a " +
                              shortest_text(found->detector) +
                              " mm detector; give it a longer collimation or smaller apertures");
      error->usage = true;
      return false;
    }
    options->configurations.push_back(*found);
  }
  std::stable_sort(options->configurations.begin(), options->configurations.end(),
                   [](const Configuration& a, const Configuration& b) {
                     return q_at_radius(a, beam_radius(a)) < q_at_radius(b, beam_radius(b));
                   });
  if (options->configurations.empty() && wants_simulation(*options)) {
    options->configurations.push_back(typical_configuration(*options));
  }
  set_rings(options);
  return true;
}

namespace {

constexpr size_t MAX_INSTRUMENT_BYTES = 1 << 16;

// Reads the --instrument file and applies its settings; false with `*error` when it
// cannot be read or holds what is no setting.
bool read_instrument(SeriesOptions* options, PlanError* error) {
  const std::string& path = options->instrument_path;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  std::string text;
  char buffer[4096];
  size_t got = 0;
  while (file != nullptr && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0 &&
         text.size() < MAX_INSTRUMENT_BYTES) {
    text.append(buffer, got);
  }
  const bool read = file != nullptr && !std::ferror(file) && text.size() < MAX_INSTRUMENT_BYTES;
  if (file != nullptr) {
    std::fclose(file);
  }
  if (!read) {
    *error = plan_error(-1, "--instrument",
                        "--instrument " + path +
                            (file == nullptr ? ": cannot be opened; check the name"
                                             : ": cannot be read, or is larger than 64 KiB; "
                                               "name a file of settings"));
    return false;
  }
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {  // a byte-order mark from an editor
    text.erase(0, 3);
  }
  if (!apply_instrument(text, options, error)) {
    error->usage = true;
    return false;
  }
  return true;
}

}  // namespace

bool read_configurations(SeriesOptions* options, PlanError* error) {
  return (options->instrument_path.empty() || read_instrument(options, error)) &&
         resolve_configurations(options, error);
}
