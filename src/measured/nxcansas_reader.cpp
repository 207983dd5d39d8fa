// NXcanSAS through HDF5's C library: the file is opened from its bytes in memory, its
// groups found by their canSAS_class (or, as older writers have it, NX_class) and its
// datasets by the attributes the format defines, never by guessed names.
#include "measured/nxcansas_reader.h"

#include <hdf5.h>
#include <hdf5_hl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "measured/measured_units.h"

namespace {

// An HDF5 identifier closed when it goes.
class Handle {
 public:
  Handle(hid_t id, herr_t (*close)(hid_t)) : id_(id), close_(close) {}
  ~Handle() {
    if (id_ >= 0) {
      close_(id_);
    }
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  hid_t get() const { return id_; }
  bool ok() const { return id_ >= 0; }

 private:
  hid_t id_;
  herr_t (*close_)(hid_t);
};

// A string attribute of `object`, fixed or variable in length; "" when it has none.
std::string attribute(hid_t object, const char* name) {
  if (H5Aexists(object, name) <= 0) {
    return "";
  }
  const Handle attr(H5Aopen(object, name, H5P_DEFAULT), H5Aclose);
  const Handle type(H5Aget_type(attr.get()), H5Tclose);
  if (!attr.ok() || !type.ok() || H5Tget_class(type.get()) != H5T_STRING) {
    return "";
  }
  // The memory type takes the file's character set: HDF5 converts no UTF-8 to ASCII.
  if (H5Tis_variable_str(type.get()) > 0) {
    char* text = nullptr;
    const Handle memory(H5Tcopy(H5T_C_S1), H5Tclose);
    H5Tset_size(memory.get(), H5T_VARIABLE);
    H5Tset_cset(memory.get(), H5Tget_cset(type.get()));
    if (H5Aread(attr.get(), memory.get(), &text) < 0 || text == nullptr) {
      return "";
    }
    std::string value = text;
    H5free_memory(text);
    return value;
  }
  const size_t size = H5Tget_size(type.get());
  std::string value(size, '\0');
  const Handle memory(H5Tcopy(H5T_C_S1), H5Tclose);
  H5Tset_size(memory.get(), size);
  H5Tset_cset(memory.get(), H5Tget_cset(type.get()));
  if (H5Aread(attr.get(), memory.get(), value.data()) < 0) {
    return "";
  }
  return value.substr(0, value.find('\0'));
}

std::string class_of(hid_t group) {
  const std::string canSAS = attribute(group, "canSAS_class");
  return canSAS.empty() ? attribute(group, "NX_class") : canSAS;
}

// The names of a group's members.
std::vector<std::string> members(hid_t group) {
  std::vector<std::string> names;
  H5Literate(
      group, H5_INDEX_NAME, H5_ITER_INC, nullptr,
      [](hid_t, const char* name, const H5L_info_t*, void* data) -> herr_t {
        static_cast<std::vector<std::string>*>(data)->emplace_back(name);
        return 0;
      },
      &names);
  return names;
}

bool is_group(hid_t parent, const std::string& name) {
  H5O_info_t info;
  return H5Oget_info_by_name(parent, name.c_str(), &info, H5P_DEFAULT) >= 0 &&
         info.type == H5O_TYPE_GROUP;
}

// A one-dimensional dataset of numbers, with its unit; false with `*why`.
bool numbers(hid_t group, const std::string& name, std::vector<double>* values, std::string* unit,
             std::string* why) {
  if (H5Lexists(group, name.c_str(), H5P_DEFAULT) <= 0) {
    *why = "no dataset " + name;
    return false;
  }
  const Handle set(H5Dopen2(group, name.c_str(), H5P_DEFAULT), H5Dclose);
  const Handle space(H5Dget_space(set.get()), H5Sclose);
  if (!set.ok() || !space.ok()) {
    *why = "dataset " + name + " cannot be opened";
    return false;
  }
  const int rank = H5Sget_simple_extent_ndims(space.get());
  if (rank != 1) {
    *why = "dataset " + name + " has " + std::to_string(rank) +
           " dimensions: two-dimensional data, which this program does not fit; give 1D data";
    return false;
  }
  hsize_t size = 0;
  H5Sget_simple_extent_dims(space.get(), &size, nullptr);
  values->assign(static_cast<size_t>(size), 0.0);
  if (size > 0 &&
      H5Dread(set.get(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values->data()) < 0) {
    *why = "dataset " + name + " holds no numbers";
    return false;
  }
  *unit = attribute(set.get(), "units");
  *unit = unit->empty() ? attribute(set.get(), "unit") : *unit;
  return true;
}

bool read_sasdata(hid_t entry, const std::string& group_name, const std::string& where,
                  MeasuredCurve* c, std::string* error) {
  const Handle group(H5Gopen2(entry, group_name.c_str(), H5P_DEFAULT), H5Gclose);
  const std::string at = c->file + " " + where + ": ";
  const std::string signal =
      attribute(group.get(), "signal").empty() ? "I" : attribute(group.get(), "signal");
  const std::string axes =
      attribute(group.get(), "I_axes").empty() ? "Q" : attribute(group.get(), "I_axes");
  if (axes.find(',') != std::string::npos) {
    *error = at + "I_axes " + axes + ": two-dimensional data, which this program does not fit";
    return false;
  }
  std::string why, q_unit, i_unit, e_unit, r_unit;
  std::vector<double> q, i, e, r;
  if (!numbers(group.get(), axes, &q, &q_unit, &why) ||
      !numbers(group.get(), signal, &i, &i_unit, &why)) {
    *error = at + why;
    return false;
  }
  const Handle signal_set(H5Dopen2(group.get(), signal.c_str(), H5P_DEFAULT), H5Dclose);
  std::string uncertainty = attribute(signal_set.get(), "uncertainties");
  uncertainty = uncertainty.empty() ? attribute(signal_set.get(), "uncertainty") : uncertainty;
  uncertainty = uncertainty.empty() ? attribute(group.get(), "I_uncertainty") : uncertainty;
  if (uncertainty.empty() || !numbers(group.get(), uncertainty, &e, &e_unit, &why)) {
    *error = at + (uncertainty.empty() ? "no uncertainty named for " + signal : why) +
             "; every point needs its error";
    return false;
  }
  const Handle axis_set(H5Dopen2(group.get(), axes.c_str(), H5P_DEFAULT), H5Dclose);
  std::string resolution = attribute(axis_set.get(), "resolutions");
  resolution = resolution.empty() ? attribute(axis_set.get(), "resolution") : resolution;
  if (resolution.find("dQl") != std::string::npos || resolution.find("dQw") != std::string::npos) {
    *error = at + "slit-smeared data (" + resolution +
             "), which this program does not fit; give pinhole data";
    return false;
  }
  if (!resolution.empty() && !numbers(group.get(), resolution, &r, &r_unit, &why)) {
    *error = at + why;
    return false;
  }
  r.resize(q.size(), 0.0);
  if (i.size() != q.size() || e.size() != q.size() || r.size() != q.size()) {
    *error = at + "datasets of different lengths (" + axes + " " + std::to_string(q.size()) + ", " +
             signal + " " + std::to_string(i.size()) + ")";
    return false;
  }
  std::string named;
  const double qf = q_unit_factor(q_unit), rf = q_unit_factor(r_unit.empty() ? q_unit : r_unit);
  const double i_f = intensity_unit_factor(i_unit, &named);
  const double ef = intensity_unit_factor(e_unit.empty() ? i_unit : e_unit, &named);
  if (qf == 0.0 || rf == 0.0 || i_f == 0.0 || ef == 0.0) {
    *error =
        at + "an unknown unit (Q in 1/A, 1/nm or 1/m; I in 1/cm or 1/m): " + q_unit + ", " + i_unit;
    return false;
  }
  intensity_unit_factor(i_unit, &c->intensity_unit);
  for (size_t k = 0; k < q.size(); ++k) {
    c->q.push_back(q[k] * qf);
    c->intensity.push_back(i[k] * i_f);
    c->error.push_back(e[k] * ef);
    c->resolution.push_back(r[k] * rf);
  }
  return checked_curve(
      *c, [&](size_t k) { return where + ", point " + std::to_string(k + 1); }, error);
}

// A dataset of text (a title), fixed or variable in length; "" when there is none.
std::string text_of(hid_t group, const char* name) {
  if (H5Lexists(group, name, H5P_DEFAULT) <= 0) {
    return "";
  }
  const Handle set(H5Dopen2(group, name, H5P_DEFAULT), H5Dclose);
  const Handle type(H5Dget_type(set.get()), H5Tclose);
  const Handle space(H5Dget_space(set.get()), H5Sclose);
  if (!set.ok() || H5Tget_class(type.get()) != H5T_STRING ||
      H5Sget_simple_extent_npoints(space.get()) != 1 || H5Tis_variable_str(type.get()) > 0) {
    return "";
  }
  const size_t size = H5Tget_size(type.get());
  std::string value(size, '\0');
  const Handle memory(H5Tcopy(H5T_C_S1), H5Tclose);
  H5Tset_size(memory.get(), size);
  H5Tset_cset(memory.get(), H5Tget_cset(type.get()));
  if (H5Dread(set.get(), memory.get(), H5S_ALL, H5S_ALL, H5P_DEFAULT, value.data()) < 0) {
    return "";
  }
  return value.substr(0, value.find('\0'));
}

// A SAStransmission_spectrum group: T against lambda, found through the group's signal,
// T_axes and T_uncertainty attributes. Writers that histogram in wavelength give lambda
// as the bins' edges, one more than T; a transmission stands for its bin's centre.
bool read_transmission(hid_t entry, const std::string& group_name, const std::string& where,
                       TransmissionSpectrum* t, std::string* error) {
  const Handle group(H5Gopen2(entry, group_name.c_str(), H5P_DEFAULT), H5Gclose);
  const auto named = [&](const char* key, const char* otherwise) {
    const std::string value = attribute(group.get(), key);
    return value.empty() ? std::string(otherwise) : value;
  };
  t->name = attribute(group.get(), "name");
  std::string unit, lambda_unit, why;
  std::vector<double> lambda;
  if (!numbers(group.get(), named("signal", "T"), &t->transmission, &unit, &why) ||
      !numbers(group.get(), named("T_axes", "lambda"), &lambda, &lambda_unit, &why) ||
      !numbers(group.get(), named("T_uncertainty", "Tdev"), &t->error, &unit, &why)) {
    *error = where + ": " + why;
    return false;
  }
  const size_t n = t->transmission.size();
  if (lambda.size() == n + 1) {
    for (size_t k = 0; k < n; ++k) {
      lambda[k] = (lambda[k] + lambda[k + 1]) / 2.0;
    }
    lambda.pop_back();
  }
  if (lambda.size() != n || t->error.size() != n) {
    *error = where + ": " + std::to_string(n) + " transmissions but " +
             std::to_string(lambda.size()) + " wavelengths and " + std::to_string(t->error.size()) +
             " errors; the three must match";
    return false;
  }
  const double factor = lambda_unit == "nm" ? 10.0 : 1.0;
  if (!lambda_unit.empty() && lambda_unit != "A" && lambda_unit != "nm" &&
      lambda_unit != "angstrom" && lambda_unit != "Angstrom") {
    *error = where + ": wavelength unit '" + lambda_unit + "' unknown; expected A or nm";
    return false;
  }
  for (double& value : lambda) {
    value *= factor;
  }
  t->wavelength = std::move(lambda);
  return true;
}

bool read_in_process(const std::string& bytes, const std::string& name,
                     std::vector<MeasuredCurve>* curves, std::string* error) {
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);  // its errors are ours to word
  std::string image = bytes;
  const Handle file(H5LTopen_file_image(image.data(), image.size(), 0), H5Fclose);
  if (!file.ok()) {
    *error = name + ": an HDF5 file that cannot be read; it may be cut short";
    return false;
  }
  for (const std::string& entry_name : members(file.get())) {
    if (!is_group(file.get(), entry_name)) {
      continue;
    }
    const Handle entry(H5Gopen2(file.get(), entry_name.c_str(), H5P_DEFAULT), H5Gclose);
    if (class_of(entry.get()) != "SASentry" && class_of(entry.get()) != "NXentry") {
      continue;
    }
    MeasuredCurve base;
    base.file = name;
    base.format = "NXcanSAS";
    base.title = text_of(entry.get(), "title");
    for (const std::string& group_name : members(entry.get())) {
      if (!is_group(entry.get(), group_name)) {
        continue;
      }
      const Handle group(H5Gopen2(entry.get(), group_name.c_str(), H5P_DEFAULT), H5Gclose);
      if (class_of(group.get()) == "SAStransmission_spectrum") {
        TransmissionSpectrum t;
        if (!read_transmission(entry.get(), group_name, name + ": " + entry_name + "/" + group_name,
                               &t, error)) {
          return false;
        }
        base.transmissions.push_back(std::move(t));
      }
    }
    for (const std::string& data_name : members(entry.get())) {
      if (!is_group(entry.get(), data_name)) {
        continue;
      }
      const Handle data(H5Gopen2(entry.get(), data_name.c_str(), H5P_DEFAULT), H5Gclose);
      if (class_of(data.get()) != "SASdata") {
        continue;
      }
      MeasuredCurve c = base;
      if (!read_sasdata(entry.get(), data_name, entry_name + "/" + data_name, &c, error)) {
        return false;
      }
      curves->push_back(c);
    }
  }
  if (curves->empty()) {
    *error = name + ": an HDF5 file without NXcanSAS SASentry and SASdata; no curve to read";
    return false;
  }
  return true;
}

#if !defined(QUORVANE_FUZZ)
// HDF5's parser can loop forever or crash on a damaged file (found by fuzzing: a
// variable-length attribute whose heap is cut). A file is therefore read in a child
// process, which hands back its curves through a pipe or dies alone: the program
// reports a damaged file instead of hanging or going down with it. HDF5 parses a file
// in memory at far more than a MiB a second, so the child is given 5 s and a second
// per MiB.
int read_seconds(size_t bytes) {
  return 5 + static_cast<int>(bytes >> 20);
}

void put(std::string* out, const void* data, size_t size) {
  out->append(static_cast<const char*>(data), size);
}
void put_size(std::string* out, size_t n) {
  put(out, &n, sizeof n);
}
void put_text(std::string* out, const std::string& text) {
  put_size(out, text.size());
  out->append(text);
}
void put_numbers(std::string* out, const std::vector<double>& values) {
  put_size(out, values.size());
  put(out, values.data(), values.size() * sizeof(double));
}

// The child's answer: a flag, then the error or the curves.
std::string serialised(bool read, const std::vector<MeasuredCurve>& curves,
                       const std::string& error) {
  std::string out;
  put_size(&out, read ? 1 : 0);
  if (!read) {
    put_text(&out, error);
    return out;
  }
  put_size(&out, curves.size());
  for (const MeasuredCurve& c : curves) {
    for (const std::string* text : {&c.file, &c.format, &c.title, &c.intensity_unit}) {
      put_text(&out, *text);
    }
    for (const std::vector<double>* values : {&c.q, &c.intensity, &c.error, &c.resolution}) {
      put_numbers(&out, *values);
    }
    put(&out, &c.thickness_mm, sizeof c.thickness_mm);
    put_size(&out, c.transmissions.size());
    for (const TransmissionSpectrum& t : c.transmissions) {
      put_text(&out, t.name);
      for (const std::vector<double>* values : {&t.wavelength, &t.transmission, &t.error}) {
        put_numbers(&out, *values);
      }
    }
  }
  return out;
}

// Reads back what `serialised` wrote; false when the bytes are cut short.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool take(void* data, size_t size) {
    if (size > bytes_.size() - at_) {
      return false;
    }
    std::memcpy(data, bytes_.data() + at_, size);
    at_ += size;
    return true;
  }
  bool size(size_t* n) { return take(n, sizeof *n); }
  bool text(std::string* value) {
    size_t n = 0;
    if (!size(&n) || n > bytes_.size() - at_) {
      return false;
    }
    value->assign(bytes_, at_, n);
    at_ += n;
    return true;
  }
  bool numbers(std::vector<double>* values) {
    size_t n = 0;
    if (!size(&n) || n > (bytes_.size() - at_) / sizeof(double)) {
      return false;
    }
    values->resize(n);
    return take(values->data(), n * sizeof(double));
  }

 private:
  const std::string& bytes_;
  size_t at_ = 0;
};

bool deserialised(const std::string& bytes, std::vector<MeasuredCurve>* curves, std::string* error,
                  bool* read) {
  Reader in(bytes);
  size_t flag = 0, count = 0;
  if (!in.size(&flag)) {
    return false;
  }
  *read = flag == 1;
  if (!*read) {
    return in.text(error);
  }
  if (!in.size(&count)) {
    return false;
  }
  for (size_t n = 0; n < count; ++n) {
    MeasuredCurve c;
    for (std::string* text : {&c.file, &c.format, &c.title, &c.intensity_unit}) {
      if (!in.text(text)) {
        return false;
      }
    }
    for (std::vector<double>* values : {&c.q, &c.intensity, &c.error, &c.resolution}) {
      if (!in.numbers(values)) {
        return false;
      }
    }
    size_t spectra = 0;
    if (!in.take(&c.thickness_mm, sizeof c.thickness_mm) || !in.size(&spectra)) {
      return false;
    }
    for (size_t k = 0; k < spectra; ++k) {
      TransmissionSpectrum t;
      if (!in.text(&t.name) || !in.numbers(&t.wavelength) || !in.numbers(&t.transmission) ||
          !in.numbers(&t.error)) {
        return false;
      }
      c.transmissions.push_back(std::move(t));
    }
    curves->push_back(std::move(c));
  }
  return true;
}

// Everything the child wrote before it closed the pipe, or false at the deadline.
bool drained(int fd, int seconds, std::string* out) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  char buffer[1 << 16];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    pollfd waiting{fd, POLLIN, 0};
    if (left <= 0 || poll(&waiting, 1, static_cast<int>(left)) == 0) {
      return false;
    }
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got == 0) {
      return true;
    }
    if (got > 0) {
      out->append(buffer, static_cast<size_t>(got));
    } else if (errno != EINTR) {
      return true;
    }
  }
}

#endif

}  // namespace

bool reads_nxcansas() {
  return true;
}

bool read_nxcansas(const std::string& bytes, const std::string& name,
                   std::vector<MeasuredCurve>* curves, std::string* error) {
#if defined(QUORVANE_FUZZ)
  return read_in_process(bytes, name, curves, error);  // the fuzzer must see HDF5's faults
#else
  int ends[2];
  if (pipe(ends) != 0) {
    return read_in_process(bytes, name, curves, error);
  }
  const pid_t child = fork();
  if (child < 0) {
    close(ends[0]);
    close(ends[1]);
    return read_in_process(bytes, name, curves, error);
  }
  if (child == 0) {
    close(ends[0]);
    std::vector<MeasuredCurve> read;
    std::string why;
    const bool ok = read_in_process(bytes, name, &read, &why);
    const std::string answer = serialised(ok, read, why);
    size_t sent = 0;
    while (sent < answer.size()) {
      const ssize_t n = write(ends[1], answer.data() + sent, answer.size() - sent);
      if (n <= 0 && errno != EINTR) {
        break;
      }
      sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
    _exit(0);  // nothing of the parent's (its buffers, its atexit) runs twice
  }
  close(ends[1]);
  std::string answer;
  const int seconds = read_seconds(bytes.size());
  const bool finished = drained(ends[0], seconds, &answer);
  close(ends[0]);
  if (!finished) {
    kill(child, SIGKILL);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  bool read = false;
  if (!finished || !WIFEXITED(status) || !deserialised(answer, curves, error, &read)) {
    curves->clear();
    *error =
        name + ": HDF5's library " +
        (finished ? std::string("failed") : "did not finish in " + std::to_string(seconds) + " s") +
        " reading it; the file is damaged or cut short: export it again";
    return false;
  }
  return read;
#endif
}
