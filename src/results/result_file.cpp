#include "results/result_file.h"

#include "io/output_file.h"

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
    std::fprintf(file, "Deuteration ratio (%%) = %f\n", settings.deuteration_percent);
  } else {
    std::fprintf(file, "    NOT Deuterated\n");
  }
  std::fprintf(file, "D2O concentration (%%) = %f\n", settings.d2o_percent);
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

ResultWrite write_result_file(const FileNames& names, const SampleSettings& settings,
                              const ScatteringTotals& totals) {
  OutputPath where;
  if (resolve_output(names.result_path, &where) != OutputCheck::kOk) {
    return ResultWrite::kCannotOpen;
  }
  if (same_file(names.result_path, names.input_path)) {
    return ResultWrite::kIsInput;
  }
  Output out;
  if (!open_output(where, "w", nullptr, &out)) {
    return ResultWrite::kCannotOpen;
  }
  const bool written = write_result_lines(out.file, names, settings, totals);
  return close_output(&out, written) ? ResultWrite::kWritten : ResultWrite::kWriteFailed;
}
