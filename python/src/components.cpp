// Keywords into a run: each checked for its type here, then by the option table's row,
// as the command line's words are.
#include "binding.h"

#include <string>

#include "series/option_table.h"

namespace {

// Settings of what the command writes, which the module hands back as values instead.
const char* const OUTPUT_ONLY[] = {"--output", "--csv",         "--csv-file",       "--svg",
                                   "--plot",   "--plot-layout", "--stuhrmann",      "--curves",
                                   "--pr",     "--show-d2o",    "--show-component", "--simulate",
                                   "--basis"};

bool is_output_only(const OptionRow& row) {
  for (const char* name : OUTPUT_ONLY) {
    if (std::string(row.long_name) == name) {
      return true;
    }
  }
  return false;
}

const OptionRow* row_of(const std::string& keyword) {
  std::string name = keyword == "from_" ? "from" : keyword;
  for (char& c : name) {
    c = c == '_' ? '-' : c;
  }
  const OptionRow* row = find_row("--" + name);
  return row != nullptr && !is_output_only(*row) ? row : nullptr;
}

std::string type_name(const py::handle& value) {
  return py::str(py::type::of(value).attr("__name__"));
}

bool is_bool(const py::handle& value) {
  if (PyBool_Check(value.ptr()) != 0) {
    return true;
  }
  const py::object type = py::type::of(value);
  const std::string module = py::str(type.attr("__module__"));
  const std::string name = py::str(type.attr("__name__"));
  return module == "numpy" && (name == "bool_" || name == "bool");
}

bool is_real(const py::handle& value) {
  return !is_bool(value) && py::isinstance(value, py::module_::import("numbers").attr("Real"));
}

// A number as the command line would have it typed: whole numbers as integers, others
// as Python's shortest repr, which reads back as the same double.
std::string number_text(const py::handle& value) {
  if (py::isinstance(value, py::module_::import("numbers").attr("Integral"))) {
    return py::str(py::int_(py::reinterpret_borrow<py::object>(value)));
  }
  return py::repr(py::float_(py::reinterpret_borrow<py::object>(value)));
}

bool is_sequence(const py::handle& value) {
  return !py::isinstance<py::str>(value) && !py::isinstance<py::bytes>(value) &&
         !py::isinstance<py::dict>(value) && py::hasattr(value, "__len__") &&
         py::hasattr(value, "__iter__");
}

[[noreturn]] void wrong_type(const std::string& keyword, const char* takes,
                             const py::handle& value) {
  throw py::type_error(keyword + " takes " + takes + ", not " + type_name(value) + " (" +
                       std::string(py::repr(value)) + ")");
}

std::string list_text(const std::string& keyword, const py::handle& value, bool numbers) {
  const char* takes = numbers ? "a list of numbers, such as [0, 42, 100]"
                              : "a list of names, such as [\"A\", \"B\"]";
  if (!is_sequence(value)) {
    wrong_type(keyword, takes, value);
  }
  std::string text;
  for (const py::handle item : value) {
    if (numbers ? !is_real(item) : !py::isinstance<py::str>(item)) {
      wrong_type(keyword, takes, value);
    }
    text += (text.empty() ? "" : ",") +
            (numbers ? number_text(item) : py::str(item).cast<std::string>());
  }
  return text;
}

// The value of a keyword as its option's row takes it.
std::string value_text(const OptionRow& row, const std::string& keyword, const py::handle& value) {
  switch (row.kind) {
    case ValueKind::kNumber:
      if (!is_real(value)) {
        wrong_type(keyword, "a number", value);
      }
      return number_text(value);
    case ValueKind::kNumberList:
    case ValueKind::kWordList:
      return list_text(keyword, value, row.kind == ValueKind::kNumberList);
    case ValueKind::kPath:
      if (!py::isinstance<py::str>(value) && !py::hasattr(value, "__fspath__")) {
        wrong_type(keyword, "a path (a str or an os.PathLike)", value);
      }
      {
        const py::object path = py::module_::import("os").attr("fspath")(value);
        if (!py::isinstance<py::str>(path)) {
          wrong_type(keyword, "a path (a str or an os.PathLike)", value);
        }
        return path.cast<std::string>();
      }
    case ValueKind::kFlag:
    case ValueKind::kPairs:
    case ValueKind::kWord:
      break;
  }
  if (!py::isinstance<py::str>(value)) {
    wrong_type(keyword, "a text", value);
  }
  return value.cast<std::string>();
}

// NAME=VALUE items of a dict: each value a number or a text.
std::vector<std::string> pair_texts(const std::string& keyword, const py::handle& value) {
  const char* takes = "a dict of names and values, such as {\"LEU,ILE\": 100}";
  if (!py::isinstance<py::dict>(value)) {
    wrong_type(keyword, takes, value);
  }
  std::vector<std::string> items;
  for (const auto& [name, item] : py::reinterpret_borrow<py::dict>(value)) {
    const bool named = py::isinstance<py::str>(name) || is_real(name);
    if (!named || (!is_real(item) && !py::isinstance<py::str>(item))) {
      wrong_type(keyword, takes, value);
    }
    items.push_back((is_real(name) ? number_text(name) : name.cast<std::string>()) + "=" +
                    (is_real(item) ? number_text(item) : item.cast<std::string>()));
  }
  return items;
}

}  // namespace

bool apply_keywords(RunBuilder* b, const py::dict& settings, bool of_component) {
  for (const auto& [key, value] : settings) {
    if (!py::isinstance<py::str>(key)) {
      throw py::type_error("a setting's keyword is a str, not " + type_name(key));
    }
    const std::string keyword = key.cast<std::string>();
    if (value.is_none()) {
      continue;  // as if not given
    }
    const OptionRow* row = row_of(keyword);
    if (row == nullptr) {
      throw py::type_error("'" + keyword +
                           "' is no setting of the planner; help(quorvane.plan) lists them");
    }
    const bool run_exchange = std::string(row->long_name) == "--exchange" && !of_component;
    if (row->per_component != of_component && !run_exchange) {
      throw py::type_error(keyword +
                           (row->per_component
                                ? " is a component's setting: give it to protein(), dna(), rna(), "
                                  "formula() or model()"
                                : " is a setting of the whole run: give it to plan()"));
    }
    std::vector<std::string> texts;
    if (row->kind == ValueKind::kFlag) {
      if (!is_bool(value)) {
        wrong_type(keyword, "True or False", value);
      }
      if (value.cast<bool>()) {
        texts.emplace_back();
      }
    } else if (row->kind == ValueKind::kPairs) {
      texts = pair_texts(keyword, value);
      if (std::string(row->long_name) == "--uncertainty") {
        std::string joined;
        for (const std::string& item : texts) {
          joined += (joined.empty() ? "" : ",") + item;
        }
        texts = {joined};
      }
    } else {
      texts.push_back(value_text(*row, keyword, value));
    }
    for (const std::string& text : texts) {
      if (!apply_setting(b, row->long_name, text, of_component)) {
        return false;
      }
    }
  }
  return true;
}

bool end_python_component(RunBuilder* b, const py::handle& component, size_t place) {
  const std::string kind = component.attr("kind").cast<std::string>();
  const py::object source = component.attr("source");
  if (!apply_keywords(b, component.attr("settings").cast<py::dict>(), true)) {
    return false;
  }
  if (kind == "mass") {
    return apply_setting(b, "--mass", value_text(*find_row("--mass"), "mass", source), true);
  }
  if (kind == "formula") {
    return apply_setting(b, "--formula", value_text(*find_row("--formula"), "formula", source),
                         true);
  }
  if (kind == "text") {
    if (!py::isinstance<py::str>(source)) {
      wrong_type("sequence", "a text", source);
    }
    b->next.from_text = true;
    b->next.text = source.cast<std::string>();
    // The text is named in messages and by default labelled as the component's place.
    b->next.path = b->next.label.empty() ? "component_" + std::to_string(place + 1) : b->next.label;
  } else {
    b->next.path = value_text(*find_row("--instrument"), "file", source);
  }
  return end_component(b);
}
