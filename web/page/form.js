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

// The name a component's text goes by in messages and on the command line shown (its
// label's default is this name without its extension): the user's file's, or a file
// named by the place of the sequence pasted.
function sequenceName(node) {
  return node.dataset.fileName || "component-" + node.dataset.id + ".txt";
}
// The names the user knows, for the command line shown: a model in a folder of its
// component's own keeps its file's name.
const userName = (name) => name.replace(/^c[0-9]+\//, "");

// What the form holds: the request for the planner (the run's settings and each
// component's, as [option, value] pairs, its text or model file), the model files, and
// the command line that asks the same of quorvane-series (without its outputs).
function formCommand() {
  const args = [];
  const run = [];
  const files = [];
  const components = [];
  const emit = (f) => {
    if (!f.option) return;
    if (f.type === "check") { if (checked(f.id)) { args.push(f.option); run.push([f.option, ""]); } return; }
    const v = value(f.id);
    if (v === "" || v === f.def) return;
    const items = f.type === "list" ? v.split(";").map((t) => t.trim()).filter((t) => t) : [v];
    for (const item of items) { args.push(f.option, item); run.push([f.option, item]); }
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
  // The page computes the curves when asked; the command, when it is to write them.
  if (checked("curves") && anyModel) args.push("--curves", "curves.csv");
  measuredCommand(args, run, files);
  const unc = ["exchange", "volume", "deuteration"].map((k) => [k, value("unc-" + k)]);
  if (unc.some(([k, v]) => v !== {exchange: "5", volume: "2", deuteration: "2"}[k])) {
    const items = unc.map(([k, v]) => `${k}=${v}`).join(",");
    args.push("--uncertainty", items);
    run.push(["--uncertainty", items]);
  }
  if (runExchange !== "100") run.push(["--exchange", runExchange]);
  // On the command line, -x before the first component is every component's; later, the
  // next one's own.
  const first = nodes.length > 0 && ownExchange[0] !== "" ? ownExchange[0] : runExchange;
  if (nodes.length > 0 && (first !== "100" || ownExchange.some((v) => v !== ""))) args.push("-x", first);
  nodes.forEach((node, index) => {
    const kind = node.querySelector(".kind").value;
    const settings = [];
    const set = (option, v) => { args.push(option, v); settings.push([option, v]); };
    if (index > 0 && ownExchange.some((v) => v !== "")) args.push("-x", ownExchange[index] || runExchange);
    if (ownExchange[index] !== "") settings.push(["--exchange", ownExchange[index]]);
    if (["dna", "rna"].includes(kind)) set("-t", kind);
    for (const f of COMPONENT_FIELDS) {
      if (f.kind && f.kind !== kind) continue;
      const v = node.querySelector("." + f.cls).value.trim();
      if (v === "" || v === f.def) continue;
      if (f.list) { for (const item of v.split(";").map((t) => t.trim()).filter((t) => t)) set(f.option, item); continue; }
      set(f.option, v);
    }
    if (kind === "formula") {
      const formula = node.querySelector(".formula").value.trim();
      args.push("--formula", formula);
      components.push({settings, source: "formula", text: formula});
    } else if (kind === "structure") {
      const model = node.model;
      const name = model ? model.name : (node.dataset.wanted || "model-" + node.dataset.id + ".pdb");
      if (!/\.(pdb|ent|cif|mmcif)$/i.test(name)) set("-c", "structure");
      args.push(name);
      components.push({settings, source: "file", name});
      if (model && !files.some(([known]) => known === name)) files.push([name, model.bytes]);
    } else {
      const name = sequenceName(node);
      const text = node.querySelector(".sequence").value;
      // A single FASTA record keeps its ID as label, as a file of several does; a file's
      // name becomes a label only in the characters labels take.
      const headers = text.split("\n").filter((line) => line.startsWith(">"));
      const label = node.querySelector(".label").value.trim();
      const stem = name.replace(/\.[^.]*$/, "");
      if (label === "" && headers.length === 1 && headers[0].slice(1).trim() !== "") {
        set("-l", safeLabel(headers[0].slice(1).trim().split(/\s+/)[0]));
      } else if (label === "" && headers.length <= 1 && safeLabel(stem) !== stem) {
        set("-l", safeLabel(stem));
      }
      args.push(name);
      components.push({settings, source: "text", name, text});
    }
  });
  return {args, run, components, files, nodes, anyModel, curves: anyModel && checked("curves")};
}

const NARROW = window.matchMedia("(max-width: 640px)");

// The request for the form and the plot it draws.
function commandLine(plot, form = formCommand()) {
  const {args, files, nodes} = form;
  const drawn = ["curves", "pr"].includes(plot.kind);
  const request = {run: form.run, components: form.components, curves: form.curves, words: optionNames(),
    plot: {kind: plot.kind, narrow: NARROW.matches, d2o: drawn ? plot.d2o : [], component: drawn ? plot.component : ""}};
  return {request, shown: args.map(userName), files, nodes, form};
}

// --- Errors, placed by the component and setting they carry.
const SETTING_FIELDS = {"--label": "label", "--copies": "copies", "--deuteration": "deuteration",
  "--deuterate": "deuterate", "--disulfides": "disulfides", "--psv": "psv", "--match-at": "match-at",
  "--chains": "chains", "--assembly": "assembly", "--labile": "labile", "--volume": "volume", "--density": "density",
  "--formula": "formula", "--exchange": "exchange", "--type": "kind", "--code": "kind"};
function clearErrors() {
  for (const e of document.querySelectorAll(".error")) e.textContent = "";
  for (const c of document.querySelectorAll("[aria-invalid]")) c.removeAttribute("aria-invalid");
}
// The page's own name for each of the command's options, by its long name, so that
// the planner words its messages with the page's fields.
function optionNames() {
  const words = {"--code": "What it is", "--type": "What it is", "--formula": "Formula", "--svg": "Plot",
    "--plot": "Plot", "--curves": "Predict curves", "--pr": "Predict curves", "--stuhrmann": "Stuhrmann figures",
    "--uncertainty": "Match range", "--show-component": "Line", "--show-d2o": "D2O points drawn",
    "--plot-layout": "Plot"};
  const plain = (label) => label.replace(/ \(.*\)$/, "");
  for (const f of RUN_FIELDS) {
    if (f.option) words[f.setting || f.option] = words[f.setting || f.option] || plain(f.label);
    if (f.option && f.option.startsWith("--")) words[f.option] = words[f.option] || plain(f.label);
  }
  const template = document.getElementById("component-template").content;
  for (const f of COMPONENT_FIELDS) {
    const label = template.querySelector(`label[data-for="${f.cls}"]`)?.textContent.trim();
    if (label) words[f.setting] = plain(label);
  }
  return words;
}

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
  if (control && error.expected !== "") {
    // An uncertainty's item has a box of its own: its value and range alone.
    const item = error.setting === "--uncertainty";
    const value = item ? error.value.slice(error.value.indexOf("=") + 1) : error.value;
    let expected = error.expected;
    if (item) {
      expected = expected.slice(expected.indexOf(" ") + 1);
      if (expected.includes(" in NAME=VALUE")) expected = expected.slice(0, expected.indexOf(" in NAME=VALUE"));
    }
    text = `${labelOf(control)}: ${value} is not ${expected}.`;
  } else {
    // A component's own message starts with its name, which the field's label says
    // instead; a pasted sequence is "the sequence".
    let message = error.message;
    for (const c of job.request.components) {
      if (!c.name) continue;
      if (message.startsWith(c.name + ": ")) message = message.slice(c.name.length + 2);
      message = message.split(c.name).join(c.name.startsWith("component-") ? "the sequence" : userName(c.name));
    }
    text = (control ? labelOf(control) + ": " : "") + message;
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
  if (nodes.length === 0 && measuredRows.length === 0) {
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
  return checkMeasuredSlips(mark);
}
