#include "results/result_file.h"

#include <string>

#include "dialogue/dialogue.h"
#include "results/replacement_file.h"

bool make_result_name(FileNames* names, const SampleSettings& settings) {
  const bool deuterated = is_deuterated(settings);
  const int length =
      std::snprintf(names->result_path, sizeof names->result_path, "%s%s_%s%s%s%s.DAT",
                    names->directory, names->base_name, settings.d2o_text, deuterated ? "_" : "",
                    deuterated ? settings.deuteration_text : "", deuterated ? "D" : "");
  if (length < 0 || length >= static_cast<int>(sizeof names->result_path)) {
    names->result_path[0] = '\0';
    return false;
  }
  return true;
}

bool write_result_lines(std::FILE* file, const FileNames& names, const SampleSettings& settings,
                        const ScatteringTotals& totals) {
  std::fprintf(file, "Imput file : %s.DAT\n", names.base_name);
  std::fprintf(file, "Acid Total Number=%d\n", static_cast<int>(totals.residue_count));
  if (is_deuterated(settings)) {
    std::fprintf(file, "    Deuterated\n");
    std::fprintf(file, "Deuteration ratio (%%) = %f\n", text_to_number(settings.deuteration_text));
  } else {
    std::fprintf(file, "    NOT Deuterated\n");
  }
  std::fprintf(file, "D2O concentration (%%) = %f\n", text_to_number(settings.d2o_text));
  std::fprintf(file, "Total scattering length =%f fm\n", totals.scattering_length);
  std::fprintf(file, "Total scattering contrast =%f fm\n", totals.contrast);
  std::fprintf(file, "Total volume =%f A^3\n", totals.volume);
  std::fprintf(file, "Total Mw =%f \n", totals.mass);
  std::fprintf(file, "Total unExchangable Hydrogen =%d\n",
               static_cast<int>(totals.nonexchangeable_h));
  std::fprintf(file, "Total Exchangable Hydrogen =%d\n", static_cast<int>(totals.exchangeable_h));
  std::fprintf(file, "Scattering length density = %f fm/A^3\n", totals.length_density);
  std::fprintf(file, "Scattering contrast = %f fm/A^3\n", totals.contrast_density);
  std::fprintf(file, "Solvent scattering length density= %f fm/A^3\n",
               static_cast<double>(settings.solvent_density));
  std::fprintf(file, "   calculated by Quorvane1");
  return std::fflush(file) == 0 && !std::ferror(file);
}

bool write_result_file(Console* console, FileNames* names, const SampleSettings& settings,
                       const ScatteringTotals& totals) {
  if (!make_result_name(names, settings)) {
    std::fflush(console->out);
    std::fprintf(console->err,
                 "quorvane: the result file's name (%s%s_%s...) would be longer than %d "
                 "characters; use a shorter path or residue file name. Nothing was written.\n",
                 names->directory, names->base_name, settings.d2o_text,
                 static_cast<int>(PATH_FIELD - 1));
    return false;
  }
  std::FILE* file = std::fopen(replacement_name(names->result_path).c_str(), "w");
  if (!report_open(console, "w", names->result_path, file)) {
    return false;
  }
  const bool written = write_result_lines(file, *names, settings, totals);
  if (!finish_replacement(file, written, names->result_path)) {
    std::fflush(console->out);
    std::fprintf(console->err,
                 "quorvane: writing %s failed (disk full or not writable?); any earlier file of "
                 "that name is unchanged. Free space or choose another directory and run again.\n",
                 names->result_path);
    return false;
  }
  return true;
}
