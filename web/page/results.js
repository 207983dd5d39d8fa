// --- Tables.
function parseCsv(text) {
  const rows = [];
  for (const line of (text || "").split("\n")) {
    if (line === "") continue;
    const fields = [];
    let field = "", quoted = false;
    for (let i = 0; i < line.length; ++i) {
      const c = line[i];
      if (quoted && c === '"' && line[i + 1] === '"') { field += '"'; ++i; }
      else if (c === '"') quoted = !quoted;
      else if (c === "," && !quoted) { fields.push(field); field = ""; }
      else field += c;
    }
    fields.push(field);
    rows.push(fields);
  }
  return rows;
}

// Each CSV column's heading and how many decimals the report gives it (null: four
// significant figures).
const COLUMNS = {
  component: ["component", 0], copies: ["copies", 0], residues: ["residues", 0],
  deuteration_percent: ["deuteration", 1], exchange_percent: ["exchange", 1], d2o_percent: ["D2O", 2],
  solvent_sld: ["solvent SLD", 3], scattering_length_fm: ["scattering length", 1], contrast_fm: ["contrast", 1],
  mw_g_per_mol: ["Mw", 1], volume_A3: ["volume", 0], sld: ["SLD", 3], contrast_sld: ["contrast SLD", 3],
  match_point_percent: ["match point", 1], match_point_low_percent: ["match low", 1], match_point_high_percent: ["match high", 1],
  xray_sld: ["X-ray SLD", 3], solvent_xray_sld: ["solvent X-ray SLD", 3], i0_per_cm: ["I(0)", null],
  i0_xray_per_cm: ["X-ray I(0)", null], rg_A: ["Rg", 1], guinier_rg_A: ["Guinier Rg", 1],
  guinier_i0_per_cm: ["Guinier I(0)", null], background_per_cm: ["background", 3], transmission: ["transmission", 2],
  path_mm: ["cell", null], signal_rate_per_s: ["signal", null], time_s: ["time", 0],
  rm_A: ["Rm", 2], alpha_fm_per_A: ["alpha", null], beta_fm2_per_A4: ["beta", null], residual_A2: ["residual", 3],
  points_used: ["points used", 0], points: ["points", 0],
};
const UNITS = [["_1e-6_per_A2", "10⁻⁶ Å⁻²"], ["_fm_per_A3", "fm/Å³"], ["_fm2_per_A4", "fm²/Å⁴"], ["_fm_per_A", "fm/Å"],
  ["_percent", "%"], ["_g_per_mol", "g/mol"], ["_fm", "fm"], ["_A3", "Å³"], ["_A2", "Å²"], ["_per_cm", "1/cm"],
  ["_per_s", "1/s"], ["_mm", "mm"], ["_A", "Å"], ["_s", "s"]];
function describe(name) {
  const cell = name.match(/^transmission_(.+)mm$/);
  if (cell) return {heading: `T, ${cell[1]} mm cell`, unit: "", decimals: 2};
  if (name === "time_s") return {heading: "time", unit: "", decimals: null};
  for (const [suffix, unit] of UNITS) {
    if (name.endsWith(suffix)) {
      const base = name.slice(0, -suffix.length);
      const known = COLUMNS[name] || COLUMNS[base];
      // SLDs in fm/Å³ are ten times smaller: the report gives them one decimal more.
      const decimals = known && known[1] !== null && suffix === "_fm_per_A3" ? known[1] + 1 : known ? known[1] : null;
      return {heading: known ? known[0] : base.replace(/_/g, " "), unit, decimals};
    }
  }
  const known = COLUMNS[name];
  return {heading: known ? known[0] : name.replace(/_/g, " "), unit: "", decimals: known ? known[1] : null};
}
function shown(text, decimals) {
  if (text === "") return "";
  const number = Number(text);
  if (!Number.isFinite(number) || /^[A-Za-z]/.test(text)) return text;
  return decimals === null ? String(Number(number.toPrecision(4))) : number.toFixed(decimals);
}
// A counting time as the report words it: s, min, h to 48 h, then d; past 30 days
// not feasible.
function duration(seconds) {
  if (seconds > 30 * 86400) return "not feasible";
  if (seconds < 10) return seconds.toFixed(1) + " s";
  if (seconds < 60) return seconds.toFixed(0) + " s";
  if (seconds < 3600) return (seconds / 60).toFixed(1) + " min";
  if (seconds < 48 * 3600) return (seconds / 3600).toFixed(1) + " h";
  return (seconds / 86400).toFixed(1) + " d";
}
// Cells the report gives in words, with what the words mean on hovering.
const NO_GUINIER = ["no Guinier range",
  "Near the match point the predicted curve rises at low q, so no Guinier fit holds there."];
const NEGATIVE_RG = ["Rg² below 0",
  "Contrast of both signs: the radius of gyration is not defined at this D2O point."];
function wordedCell(name, cell, row, header) {
  if (name === "time_s") {
    if (cell !== "") return [duration(Number(cell)), ""];
    return row[header.indexOf("signal_rate_per_s")] === ""
      ? ["no range", "The molecule is too large for a Guinier range above q min."]
      : ["no signal", "The signal is below 0.1 % of the buffer's count rate."];
  }
  if (name.startsWith("guinier_") && (cell === "" || cell === "neg")) return NO_GUINIER;
  if (name === "rg_A" && cell === "neg") return NEGATIVE_RG;
  return null;
}
// The columns in view at first; the rest are a tick away.
const FIRST_COLUMNS = ["component", "d2o_percent", "solvent_sld", "contrast_fm", "sld", "contrast_sld",
  "i0_per_cm", "rg_A", "guinier_rg_A", "background_per_cm", "transmission", "path_mm", "time_s"];
const hiddenColumns = new Set();
function fillTable(table, header, rows, visible) {
  table.replaceChildren();
  const described = header.map(describe);
  const head = table.createTHead().insertRow();
  header.forEach((name, k) => {
    if (!visible(name)) return;
    const th = document.createElement("th");
    th.scope = "col";
    th.textContent = described[k].heading;
    if (described[k].unit) {
      const unit = document.createElement("span");
      unit.className = "unit";
      unit.textContent = described[k].unit;
      th.append(unit);
    }
    head.append(th);
  });
  const body = table.createTBody();
  for (const row of rows) {
    const tr = body.insertRow();
    row.forEach((cell, k) => {
      if (!visible(header[k])) return;
      const td = tr.insertCell();
      td.textContent = shown(cell, described[k].decimals);
      const worded = wordedCell(header[k], cell, row, header);
      if (worded) {
        td.textContent = worded[0];
        if (worded[1]) td.title = worded[1];
      }
      td.dataset.label = described[k].heading + (described[k].unit ? ` (${described[k].unit})` : "");
      td.dataset.csv = cell;
    });
  }
}
function baseName(name) {
  for (const [suffix] of UNITS) if (name.endsWith(suffix) && COLUMNS[name.slice(0, -suffix.length)]) return name.slice(0, -suffix.length);
  return name;
}
function showSeries(header, rows) {
  const list = document.getElementById("column-list");
  list.replaceChildren();
  header.forEach((name) => {
    const id = "column-" + name.replace(/[^A-Za-z0-9_-]/g, "_");
    const box = document.createElement("span");
    box.className = "field check";
    box.innerHTML = `<input type="checkbox" id="${id}"><label for="${id}"></label>`;
    const d = describe(name);
    box.querySelector("label").textContent = d.heading + (d.unit ? ` (${d.unit})` : "");
    const tick = box.querySelector("input");
    tick.checked = isVisible(name);
    tick.addEventListener("change", () => {
      if (tick.checked) shownExtra.add(name); else shownExtra.delete(name);
      if (tick.checked) hiddenColumns.delete(name); else hiddenColumns.add(name);
      fillTable(document.getElementById("series"), header, rows, isVisible);
    });
    list.append(box);
  });
  fillTable(document.getElementById("series"), header, rows, isVisible);
}
const shownExtra = new Set();
function isVisible(name) {
  if (hiddenColumns.has(name)) return false;
  // Ticking X-ray SLD asks for its columns.
  const xray = checked("xray") && /xray/.test(name);
  return xray || shownExtra.has(name) || FIRST_COLUMNS.includes(baseName(name));
}

function matchTable(header, rows) {
  const at = (name) => header.indexOf(name);
  const lines = [];
  let previous = null;
  for (const row of rows) {
    // One line per component as the series lists them: rows of a line come together,
    // whatever its label.
    if (previous !== null && previous[0] === row[0] && previous[at("copies")] === row[at("copies")] &&
        previous[at("match_point_percent")] === row[at("match_point_percent")]) { previous = row; continue; }
    previous = row;
    const match = row[at("match_point_percent")];
    const low = row[at("match_point_low_percent")], high = row[at("match_point_high_percent")];
    const outside = match !== "" && (Number(match) < 0 || Number(match) > 100);
    lines.push([row[0], row[at("copies")], row[at("residues")],
      match === "" ? "none" : `${Number(match).toFixed(1)} %` + (low !== "" ? ` (${Number(low).toFixed(1)}–${Number(high).toFixed(1)})` : "") +
        (outside ? ", no solvent matches it" : "")]);
  }
  const table = document.getElementById("match-points");
  fillTable(table, ["component", "copies", "residues", "match point (range) % D2O"], lines, () => true);
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
  return {run, components, plot: document.getElementById("plot-kind").value || "contrast"};
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
  return state.plot;
}
function quoted(word) {
  return /^[A-Za-z0-9_.,=:%+\/-]+$/.test(word) ? word : "'" + word.replace(/'/g, "'\\''") + "'";
}

