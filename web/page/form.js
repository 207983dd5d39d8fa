const componentsBox = document.getElementById("components");
let nextId = 1;

function buildRunSettings() {
  const box = document.getElementById("run-settings");
  for (const [group, title, open] of GROUPS) {
    const details = document.createElement("details");
    details.className = "section";
    details.open = open;
    details.id = "group-" + group;
    details.innerHTML = `<summary>${title}</summary><div class="row"></div>`;
    const row = details.querySelector(".row");
    for (const f of RUN_FIELDS.filter((f) => f.group === group)) {
      const field = document.createElement("div");
      field.className = "field" + (f.type === "check" ? " check" : "");
      let control;
      if (f.type === "select") {
        control = document.createElement("select");
        for (const [value, text] of f.choices) control.add(new Option(text, value));
        control.value = f.def;
      } else {
        control = document.createElement("input");
        // Numbers are typed as text and checked here: a number box would read "7,5" as 75
        // or drop letters without a word.
        control.type = f.type === "check" ? "checkbox" : "text";
        if (!f.type) { control.inputMode = "decimal"; control.className = "number"; }
        if (f.type === "list") control.className = "long";
        if (f.def !== undefined && f.type !== "check") control.value = f.def;
        if (f.placeholder) control.placeholder = f.placeholder;
      }
      control.id = f.id;
      const label = document.createElement("label");
      label.htmlFor = f.id;
      label.textContent = f.label;
      if (f.type === "check") field.append(control, label); else field.append(label, control);
      const error = document.createElement("p");
      error.className = "error";
      error.id = "error-" + f.id;
      control.setAttribute("aria-describedby", error.id);
      field.append(error);
      row.append(field);
    }
    box.append(details);
  }
}

function addComponent(state) {
  const id = nextId++;
  const node = document.getElementById("component-template").content.firstElementChild.cloneNode(true);
  node.dataset.id = id;
  node.querySelector("legend").textContent = "Component " + id;
  for (const label of node.querySelectorAll("label[data-for]")) {
    const control = node.querySelector("." + label.dataset.for);
    control.id = label.dataset.for + "-" + id;
    label.htmlFor = control.id;
  }
  const error = node.querySelector(".error");
  error.id = "error-" + id;
  for (const control of node.querySelectorAll("input, select, textarea")) control.setAttribute("aria-describedby", error.id);
  node.querySelector(".remove").id = "remove-" + id;
  node.querySelector(".remove").setAttribute("aria-label", "Remove component " + id);
  node.querySelector(".remove").addEventListener("click", () => node.remove());
  const kind = node.querySelector(".kind");
  const showKind = () => {
    node.dataset.kind = ["structure", "formula"].includes(kind.value) ? kind.value : "sequence";
  };
  kind.addEventListener("change", showKind);
  node.querySelector(".sequence-file").addEventListener("change", (event) => loadSequence(node, event.target.files[0]));
  // A sequence edited after it was loaded is no longer the file's.
  node.querySelector(".sequence").addEventListener("input", () => { delete node.dataset.fileName; });
  node.querySelector(".structure-file").addEventListener("change", (event) => loadModel(node, event.target.files[0]));
  componentsBox.append(node);
  if (state) {
    kind.value = state.kind || "protein";
    for (const [cls, value] of Object.entries(state.fields || {})) {
      const control = node.querySelector("." + cls);
      if (control) control.value = value;
    }
    if (state.sequence) node.querySelector(".sequence").value = state.sequence;
    if (state.model) {
      node.querySelector(".structure-name").textContent =
        `This plan used the model ${state.model}: load it again above.`;
      node.dataset.wanted = state.model;
    }
  }
  showKind();
  return node;
}

// The bytes of a file, gunzipped when they start with gzip's signature; null when
// they do not decompress.
async function unpacked(file) {
  let bytes = new Uint8Array(await file.arrayBuffer());
  if (bytes[0] === 0x1f && bytes[1] === 0x8b) {
    try {
      const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"));
      bytes = new Uint8Array(await new Response(stream).arrayBuffer());
    } catch (e) {
      return null;
    }
  }
  return bytes;
}

// A sequence file, put in the box as text; one that is not text (a zero byte, or
// bytes no sequence file holds) is refused rather than pasted.
async function loadSequence(node, file) {
  const error = node.querySelector(".error");
  const control = node.querySelector(".sequence-file");
  error.textContent = "";
  control.removeAttribute("aria-invalid");
  if (!file) return;
  const bytes = await unpacked(file);
  let odd = 0;
  for (const b of bytes || []) if (b === 0 || (b < 32 && b !== 9 && b !== 10 && b !== 13)) ++odd;
  if (bytes === null || odd > 0) {
    error.textContent = bytes === null
      ? `Sequence file: ${file.name} is damaged or cut short; it does not decompress as gzip. Load a complete copy.`
      : `Sequence file: ${file.name} is not a text file (it holds bytes no sequence file has); choose a FASTA or text file.`;
    control.setAttribute("aria-invalid", "true");
    return;
  }
  node.querySelector(".sequence").value = new TextDecoder().decode(bytes);
  node.dataset.fileName = file.name.replace(/\.gz$/i, "");
}

// A model file, gunzipped here by the browser when its name ends in .gz.
async function loadModel(node, file) {
  node.model = null;
  const error = node.querySelector(".error");
  error.textContent = "";
  if (!file) return;
  let bytes = new Uint8Array(await file.arrayBuffer());
  let name = file.name;
  if (/\.gz$/i.test(name)) {
    try {
      const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"));
      bytes = new Uint8Array(await new Response(stream).arrayBuffer());
      name = name.replace(/\.gz$/i, "");
    } catch (e) {
      error.textContent = `Model file: ${file.name} is damaged or cut short; it does not decompress as gzip. Load a complete copy.`;
      node.querySelector(".structure-file").setAttribute("aria-invalid", "true");
      return;
    }
  }
  node.model = {name: name.replace(/[^A-Za-z0-9._-]/g, "_"), bytes, original: file.name};
  node.querySelector(".structure-name").textContent = `Loaded ${file.name}.`;
}

const value = (id) => document.getElementById(id).value.trim();
const checked = (id) => document.getElementById(id).checked;

// A label the planner and the plots take as it is: letters, digits and . _ -.
const safeLabel = (text) => text.replace(/[^A-Za-z0-9._-]+/g, "_").replace(/^_+|_+$/g, "") || "component";

// The name a component's sequence has: the user's file's, in a folder of the
// component's own (two components may load files of one name), or the sequence pasted.
function sequenceName(node) {
  return node.dataset.fileName ? `c${node.dataset.id}/${node.dataset.fileName}`
                               : "component-" + node.dataset.id + ".txt";
}
// The names the user knows, for the command line shown and the messages.
const userName = (name) => name.replace(/^c[0-9]+\//, "");

// The command line for what the form holds (without the outputs, which the plot
// chooses), the files it reads, and for each component its place on the command line.
function formCommand() {
  const args = [];
  const files = [];
  const emit = (f) => {
    if (!f.option) return;
    if (f.type === "check") { if (checked(f.id)) args.push(f.option); return; }
    const v = value(f.id);
    if (v === "" || v === f.def) return;
    if (f.type === "list") { for (const item of v.split(";").map((s) => s.trim()).filter((s) => s)) args.push(f.option, item); return; }
    args.push(f.option, v);
  };
  const nodes = [...componentsBox.querySelectorAll(".component")];
  const anyModel = nodes.some((n) => n.querySelector(".kind").value === "structure");
  const ownExchange = nodes.map((n) => n.querySelector(".exchange").value.trim());
  const runExchange = value("exchange") || "100";
  for (const f of RUN_FIELDS) {
    if (f.id === "exchange") continue;
    if (f.group === "curves" && !(checked("curves") && anyModel)) continue;
    if (f.group === "beamtime" && !checked("beamtime")) continue;
    if (["from", "to", "step"].includes(f.id) && value("d2o") !== "") continue;
    emit(f);
  }
  const unc = ["exchange", "volume", "deuteration"].map((k) => [k, value("unc-" + k)]);
  if (unc.some(([k, v]) => v !== {exchange: "5", volume: "2", deuteration: "2"}[k])) {
    args.push("--uncertainty", unc.map(([k, v]) => `${k}=${v}`).join(","));
  }
  // -x before the first component is every component's; later, the next one's own.
  const first = ownExchange[0] !== "" ? ownExchange[0] : runExchange;
  if (first !== "100" || ownExchange.some((v) => v !== "")) args.push("-x", first);
  nodes.forEach((node, index) => {
    const kind = node.querySelector(".kind").value;
    if (index > 0 && ownExchange.some((v) => v !== "")) args.push("-x", ownExchange[index] || runExchange);
    if (["dna", "rna"].includes(kind)) args.push("-t", kind);
    for (const f of COMPONENT_FIELDS) {
      if (f.kind && f.kind !== kind) continue;
      const v = node.querySelector("." + f.cls).value.trim();
      if (v === "" || v === f.def) continue;
      if (f.list) { for (const item of v.split(";").map((s) => s.trim()).filter((s) => s)) args.push(f.option, item); continue; }
      args.push(f.option, v);
    }
    if (kind === "formula") {
      args.push("--formula", node.querySelector(".formula").value.trim());
    } else if (kind === "structure") {
      const model = node.model;
      const name = model ? model.name : (node.dataset.wanted || "model-" + node.dataset.id + ".pdb");
      if (!/\.(pdb|ent|cif|mmcif)$/i.test(name)) args.push("-c", "structure");
      args.push(name);
      if (model && !files.some(([known]) => known === name)) files.push([name, model.bytes]);
    } else {
      const name = sequenceName(node);
      const text = node.querySelector(".sequence").value;
      // A single FASTA record keeps its ID as label, as a file of several does; a file's
      // name becomes a label only in the characters labels take.
      const headers = text.split("\n").filter((line) => line.startsWith(">"));
      const label = node.querySelector(".label").value.trim();
      const stem = userName(name).replace(/\.[^.]*$/, "");
      if (label === "" && headers.length === 1 && headers[0].slice(1).trim() !== "") {
        args.push("-l", safeLabel(headers[0].slice(1).trim().split(/\s+/)[0]));
      } else if (label === "" && headers.length <= 1 && safeLabel(stem) !== stem) {
        args.push("-l", safeLabel(stem));
      }
      args.push(name);
      files.push([name, text]);
    }
  });
  return {args, files, nodes, anyModel, curves: anyModel && checked("curves")};
}

const NARROW = window.matchMedia("(max-width: 640px)");

// The outputs a plot needs, before the form's command line.
function commandLine(plot, form = formCommand()) {
  const {args, files, nodes, anyModel} = form;
  const outputs = ["series.csv", "plot.svg"];
  const head = ["-o", "report.txt", "--csv-file", "series.csv", "--svg", "plot.svg", "--plot", plot.kind];
  // On a small screen the plot is laid out for it: narrower, the legend below.
  if (NARROW.matches) head.push("--plot-layout", "narrow");
  if (plot.kind === "curves" || plot.kind === "pr") {
    if (plot.d2o.length > 0) head.push("--show-d2o", plot.d2o.join(","));
    if (plot.component) head.push("--show-component", plot.component);
  }
  outputs.push("report.txt");
  if (anyModel) { head.push("--stuhrmann", "stuhrmann.csv"); outputs.push("stuhrmann.csv"); }
  if (form.curves) {
    head.push("--curves", "curves.csv", "--pr", "pr.csv");
    outputs.push("curves.csv", "pr.csv");
  }
  return {args: head.concat(args), shown: args.map(userName), files, outputs, nodes, form};
}

// --- Errors, placed by the component and setting they carry.
const SETTING_FIELDS = {"--label": "label", "--copies": "copies", "--deuteration": "deuteration",
  "--deuterate": "deuterate", "--disulfides": "disulfides", "--psv": "psv", "--match-at": "match-at",
  "--chains": "chains", "--labile": "labile", "--volume": "volume", "--density": "density",
  "--formula": "formula", "--exchange": "exchange", "--type": "kind", "--code": "kind"};
function clearErrors() {
  for (const e of document.querySelectorAll(".error")) e.textContent = "";
  for (const c of document.querySelectorAll("[aria-invalid]")) c.removeAttribute("aria-invalid");
}
// The page's own name for each of the command's options, so that no message names
// an option: the run's fields, the components' fields, and the rest by hand.
function optionWords() {
  const words = {"-c": "What it is", "--code": "What it is", "-t": "What it is", "--type": "What it is",
    "--formula": "Formula", "--svg": "Plot", "--plot": "Plot", "--curves": "Predict curves",
    "--pr": "Predict curves", "--stuhrmann": "Stuhrmann figures", "--uncertainty": "Match range",
    "--show-component": "Line", "--show-d2o": "D2O points drawn"};
  for (const f of RUN_FIELDS) {
    if (f.option) words[f.option] = f.label;
    if (f.setting) words[f.setting] = words[f.setting] || f.label;
  }
  const template = document.getElementById("component-template").content;
  for (const f of COMPONENT_FIELDS) {
    const label = template.querySelector(`label[data-for="${f.cls}"]`)?.textContent.trim();
    if (label) { words[f.option] = label; words[f.setting] = label; }
  }
  return words;
}
// The planner's message in the page's words: each option by its field's label, the
// command's placeholders and pointers to its help left out.
function pageWords(message) {
  const words = optionWords();
  return message
    .replace(/\s*\(see --help\)/g, "")
    .replace(/ (MG_PER_ML|FILE|PCT|FORMULA=CONC:VOLUME_A3:LABILE)\b/g, "")
    .replace(/(^|[\s(,;'"/])(--[a-z0-9-]+|-[a-z])(?=$|[\s,.;:)'"=])/g,
             (whole, lead, option) => lead + (words[option] ? `“${words[option].replace(/ \(.*\)$/, "")}”` : "this setting"))
    .replace(/\bNAME=VALUE items\b/g, "entries")
    .replace(/ {2,}/g, " ");
}
// Messages of the whole run that read better said anew.
const RUN_MESSAGES = [
  ["--from", /runs backwards/, "From must not exceed To."],
  ["--conc", /^counting times/, "Counting times need a concentration: fill in Concentration (mg/mL)."],
  ["--conc", /^--plot i0/, "The I(0) plot needs a concentration: fill in Concentration (mg/mL)."],
];

function showError(error, job) {
  const labelOf = (control) => document.querySelector(`label[for="${control.id}"]`)?.textContent.trim() || "";
  let control = null;
  let target = document.getElementById("error-global");
  if (error.input >= 0 && job.nodes[error.input]) {
    const node = job.nodes[error.input];
    target = node.querySelector(".error");
    const kind = node.querySelector(".kind").value;
    const cls = error.setting === "file" || error.setting === ""
      ? (kind === "structure" ? "structure-file" : kind === "formula" ? "formula" : "sequence")
      : SETTING_FIELDS[error.setting];
    control = cls ? node.querySelector("." + cls) : null;
    // The run's exchange goes before the first component, which the planner counts as
    // that component's.
    if (error.setting === "--exchange" && control.value.trim() === "") {
      control = document.getElementById("exchange");
      target = document.getElementById("error-exchange");
    }
    if (control && control.closest("details")) control.closest("details").open = true;
  } else {
    // An uncertainty's error names its item (volume=25): its own box.
    const item = error.setting === "--uncertainty" ? error.value.split("=")[0] : "";
    const field = item ? RUN_FIELDS.find((f) => f.id === "unc-" + item)
                       : RUN_FIELDS.find((f) => f.option === error.setting || f.setting === error.setting);
    if (field) {
      control = document.getElementById(field.id);
      target = document.getElementById("error-" + field.id);
      control.closest("details").open = true;
    }
  }
  let text;
  const said = RUN_MESSAGES.find(([setting, pattern]) => setting === error.setting && pattern.test(error.message));
  if (said) {
    text = said[2];
  } else if (control && error.expected !== "") {
    const value = error.setting === "--uncertainty" ? error.value.split("=")[1] : error.value;
    const expected = error.setting === "--uncertainty"
      ? error.expected.replace(/^[a-z]+ /, "").replace(/ in NAME=VALUE.*$/, "") : error.expected;
    text = `${labelOf(control)}: ${value} is not ${pageWords(expected)}.`;
  } else {
    // A file's own message, with the user's name for the file, or none where the
    // field's label says which.
    let message = error.message;
    for (const [name] of job.files) {
      if (message.startsWith(name + ": ")) message = message.slice(name.length + 2);
      message = message.split(name).join(userName(name).startsWith("component-") ? "the sequence" : userName(name));
    }
    // The field's label names the option the message starts with.
    if (control) message = message.replace(/^--[a-z0-9-]+:? /, "");
    text = (control ? labelOf(control) + ": " : "") + pageWords(message);
  }
  if (control) control.setAttribute("aria-invalid", "true");
  target.textContent = text;
  (control || target).focus?.();
}


// Slips the page catches before the planner runs: a number box whose text is not a
// plain decimal (a decimal comma is named as such, never read as another number), an
// emptied required box, a plan without components. Marks the first and returns false.
const DECIMAL = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;
function slipIn(control, label, required) {
  const text = control.value.trim();
  if (text === "") return required ? `${label}: give a number.` : "";
  if (DECIMAL.test(text)) return "";
  if (/^[+-]?\d*,\d+$/.test(text)) return `${label}: use a decimal point: ${text.replace(",", ".")}.`;
  return `${label}: ${text} is not a number.`;
}
function checkSlips() {
  const mark = (control, target, message) => {
    control.setAttribute("aria-invalid", "true");
    target.textContent = message;
    if (control.closest("details")) control.closest("details").open = true;
    control.focus();
    return false;
  };
  const nodes = [...componentsBox.querySelectorAll(".component")];
  if (nodes.length === 0) {
    const add = document.getElementById("add-component");
    document.getElementById("error-global").textContent = "Add a component.";
    add.focus();
    return false;
  }
  for (const f of RUN_FIELDS) {
    if (f.type || (f.group === "curves" && !checked("curves")) || (f.group === "beamtime" && !checked("beamtime"))) continue;
    const control = document.getElementById(f.id);
    const required = ["from", "to", "step"].includes(f.id) && value("d2o") === "";
    const slip = slipIn(control, f.label, required);
    if (slip) return mark(control, document.getElementById("error-" + f.id), slip);
  }
  for (const node of nodes) {
    const kind = node.querySelector(".kind").value;
    for (const cls of ["copies", "deuteration", "disulfides", "psv", "exchange", "match-at", "labile", "volume", "density"]) {
      const f = COMPONENT_FIELDS.find((c) => c.cls === cls);
      if (f && f.kind && f.kind !== kind) continue;
      const control = node.querySelector("." + cls);
      const label = node.querySelector(`label[for="${control.id}"]`).textContent.trim();
      const slip = slipIn(control, label, false);
      if (slip) return mark(control, node.querySelector(".error"), slip);
    }
  }
  return true;
}
