// --- Tables, from the planner's columns: each with its heading, unit, its cells as the
// report words them, its CSV cells, and why a cell has no number.
// What a worded cell means, on hovering.
const MEANINGS = {
  "no signal": "The signal is below 0.1 % of the buffer's count rate.",
  "no Guinier range": "The molecule is too large for a Guinier range above q min.",
  "no Guinier fit": "Near the match point the predicted curve rises at low q, so no Guinier fit holds there.",
  "too few q points": "Fewer than four of the curve's q points lie in this large particle's Guinier range (q Rg < 1.3): give a smaller q max or more q points.",
  "below zero": "Contrast of both signs: Rg² is below 0, and the radius of gyration is not defined at this D2O point.",
};
// The columns in view at first (by their names without an SLD unit); the rest are a tick away.
const FIRST_COLUMNS = ["component", "d2o_percent", "solvent_sld", "contrast_fm", "sld", "contrast_sld",
  "i0_per_cm", "rg_A", "guinier_rg_A", "background_per_cm", "transmission", "path_mm", "time_s"];
const hiddenColumns = new Set();
const baseName = (name) => name.replace(/_(1e-6_per_A2|fm_per_A3)$/, "");
function fillTable(table, columns, visible) {
  table.replaceChildren();
  const shown = columns.filter((c) => visible(c.name));
  const head = table.createTHead().insertRow();
  for (const c of shown) {
    const th = document.createElement("th");
    th.scope = "col";
    th.textContent = c.heading;
    if (c.unit) {
      const unit = document.createElement("span");
      unit.className = "unit";
      unit.textContent = c.unit;
      th.append(unit);
    }
    head.append(th);
  }
  const body = table.createTBody();
  const rows = columns.length > 0 ? columns[0].cells.length : 0;
  for (let r = 0; r < rows; ++r) {
    const tr = body.insertRow();
    for (const c of shown) {
      const td = tr.insertCell();
      td.textContent = c.cells[r];
      const reason = c.reasons ? c.reasons[r] : "";
      if (reason && MEANINGS[reason]) td.title = MEANINGS[reason];
      td.dataset.label = c.heading + (c.unit ? ` (${c.unit})` : "");
      td.dataset.csv = c.csv ? c.csv[r] : c.cells[r];
    }
  }
}
let seriesColumns = [];
function showSeries(columns) {
  seriesColumns = columns;
  const list = document.getElementById("column-list");
  list.replaceChildren();
  for (const c of columns) {
    const id = "column-" + c.name.replace(/[^A-Za-z0-9_-]/g, "_");
    const box = document.createElement("span");
    box.className = "field check";
    box.innerHTML = `<input type="checkbox" id="${id}"><label for="${id}"></label>`;
    box.querySelector("label").textContent = c.heading + (c.unit ? ` (${c.unit})` : "");
    const tick = box.querySelector("input");
    tick.checked = isVisible(c.name);
    tick.addEventListener("change", () => {
      if (tick.checked) shownExtra.add(c.name); else shownExtra.delete(c.name);
      if (tick.checked) hiddenColumns.delete(c.name); else hiddenColumns.add(c.name);
      fillTable(document.getElementById("series"), seriesColumns, isVisible);
    });
    list.append(box);
  }
  fillTable(document.getElementById("series"), columns, isVisible);
}
const shownExtra = new Set();
function isVisible(name) {
  if (hiddenColumns.has(name)) return false;
  // Ticking X-ray SLD asks for its columns.
  const xray = checked("xray") && /xray/.test(name);
  return xray || shownExtra.has(name) || FIRST_COLUMNS.includes(baseName(name));
}

// One line per component and the complex, with its match point and range.
function matchTable(points) {
  const column = (name, heading, key) => ({name, heading, unit: "", cells: points.map((p) => p[key])});
  fillTable(document.getElementById("match-points"), [column("component", "component", "label"),
    column("copies", "copies", "copies"), column("residues", "residues", "residues"),
    column("match", "match point (range) % D2O", "text")], () => true);
}
function stuhrmannColumns(rows) {
  const headings = [["component", "component", ""], ["rm_A", "Rm", "Å"], ["alpha_fm_per_A", "alpha", "fm/Å"],
    ["beta_fm2_per_A4", "beta", "fm²/Å⁴"], ["residual_A2", "residual", "Å²"], ["points_used", "points used", ""],
    ["points", "points", ""]];
  return headings.map(([name, heading, unit], k) => ({name, heading, unit, cells: rows.map((r) => r[k])}));
}

function downloadLink(id, text, type) {
  const link = document.getElementById(id);
  if (link.href.startsWith("blob:")) URL.revokeObjectURL(link.href);
  link.href = URL.createObjectURL(new Blob([text || ""], {type}));
}

// --- Sharing: the plan in the address.
function planState() {
  const run = {};
  for (const f of RUN_FIELDS) {
    const control = document.getElementById(f.id);
    const v = f.type === "check" ? control.checked : control.value;
    if (f.type === "check" ? v : v !== (f.def || "")) run[f.id] = v;
  }
  const components = [...componentsBox.querySelectorAll(".component")].map((node) => {
    const fields = {};
    for (const cls of ["label", "copies", "deuteration", "formula", ...COMPONENT_FIELDS.map((f) => f.cls)]) {
      const v = node.querySelector("." + cls).value;
      if (v !== "" && v !== (COMPONENT_FIELDS.find((f) => f.cls === cls)?.def ?? "")) fields[cls] = v;
    }
    const state = {kind: node.querySelector(".kind").value, fields};
    if (node.dataset.kind === "sequence") state.sequence = node.querySelector(".sequence").value;
    if (node.dataset.kind === "structure") state.model = node.model?.original || node.dataset.wanted || "";
    return state;
  });
  return {run, components, measured: measuredState(), fit: checked("fit-measured"),
          plot: document.getElementById("plot-kind").value || "contrast"};
}
async function encodePlan(state) {
  const stream = new Blob([JSON.stringify(state)]).stream().pipeThrough(new CompressionStream("gzip"));
  const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
  let binary = "";
  for (const b of bytes) binary += String.fromCharCode(b);
  return btoa(binary).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}
async function decodePlan(text) {
  const binary = atob(text.replace(/-/g, "+").replace(/_/g, "/"));
  const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"));
  return JSON.parse(await new Response(stream).text());
}
function restorePlan(state) {
  for (const f of RUN_FIELDS) {
    if (!(f.id in state.run)) continue;
    const control = document.getElementById(f.id);
    if (f.type === "check") control.checked = state.run[f.id]; else control.value = state.run[f.id];
  }
  componentsBox.replaceChildren();
  for (const component of state.components) addComponent(component);
  restoreMeasured(state.measured);
  document.getElementById("fit-measured").checked = Boolean(state.fit);
  return state.plot;
}
function quoted(word) {
  return /^[A-Za-z0-9_.,=:%+\/-]+$/.test(word) ? word : "'" + word.replace(/'/g, "'\\''") + "'";
}

