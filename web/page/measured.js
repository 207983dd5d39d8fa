// --- Measured curves: files chosen or dropped, each read by the planner's own reader
// (in a worker of its own, so that reading never ends a calculation), shown in a row with
// what was read and boxes for its D2O point and concentration. What the page guessed
// from the file's name or title stays marked until the user confirms or edits it.
const measuredRows = [];
let nextMeasured = 1;
let inspector = null;
const inspections = new Map();
function inspect(path, shown, bytes) {
  if (!inspector) {
    const source = "var _scriptDir;\nvar QuorvaneModule = " + QuorvaneModule.toString() + ";\n" +
                   document.getElementById("worker-source").textContent;
    inspector = new Worker(URL.createObjectURL(new Blob([source], {type: "text/javascript"})));
    inspector.onmessage = (event) => {
      const done = inspections.get(event.data.path);
      inspections.delete(event.data.path);
      if (done) done(event.data.inspected);
    };
  }
  return new Promise((resolve) => {
    inspections.set(path, resolve);
    inspector.postMessage({inspect: {path, shown, bytes}});
  });
}

// The name a file goes by in the module and on the command line: its own, in the
// characters a command line takes unquoted, kept apart from the models' files.
const measuredPath = (name) => "m/" + name.replace(/[^A-Za-z0-9._-]/g, "_");

async function addMeasuredFile(file) {
  const bytes = await unpacked(file);
  const shown = file.name.replace(/\.gz$/i, "");
  let path = measuredPath(shown);
  while (measuredRows.some((r) => r.path === path)) path = path.replace(/^m\//, "m/" + nextMeasured + "_");
  const row = addMeasuredRow({name: file.name, path});
  row.bytes = bytes;
  if (bytes === null) {
    showRowProblem(row, `${file.name} is damaged or cut short; it does not decompress as gzip. Load a complete copy.`);
    return row;
  }
  const info = await inspect(path, shown, bytes);
  fillMeasuredRow(row, info);
  return row;
}

function addMeasuredRow(state) {
  const id = nextMeasured++;
  const tr = document.createElement("tr");
  tr.className = "measured-row";
  tr.innerHTML = `<td data-label="File"><span class="file-name"></span><p class="error" role="alert" id="error-measured-${id}"></p></td>
    <td data-label="Title" class="title"></td><td data-label="Read" class="read"></td>
    <td data-label="D2O (%)"><label class="sr-only" for="measured-d2o-${id}"></label>
      <input type="text" inputmode="decimal" class="number d2o" id="measured-d2o-${id}" aria-describedby="error-measured-${id} measured-d2o-note-${id}">
      <span class="hint" id="measured-d2o-note-${id}"></span></td>
    <td data-label="Concentration (mg/mL)"><label class="sr-only" for="measured-conc-${id}"></label>
      <input type="text" inputmode="decimal" class="number conc" id="measured-conc-${id}" aria-describedby="error-measured-${id} measured-conc-note-${id}">
      <span class="hint" id="measured-conc-note-${id}"></span></td>
    <td><button type="button" class="confirm">Confirm</button> <button type="button" class="remove">Remove</button></td>`;
  const row = {id, tr, name: state.name, path: state.path, bytes: null, readable: false};
  tr.querySelector(".file-name").textContent = state.name;
  tr.querySelector(`label[for="measured-d2o-${id}"]`).textContent = `D2O (%) of ${state.name}`;
  tr.querySelector(`label[for="measured-conc-${id}"]`).textContent = `Concentration (mg/mL) of ${state.name}`;
  tr.querySelector(".remove").setAttribute("aria-label", "Remove " + state.name);
  tr.querySelector(".confirm").setAttribute("aria-label", `Confirm the D2O point and concentration of ${state.name}`);
  for (const cls of ["d2o", "conc"]) {
    const box = tr.querySelector("." + cls);
    box.value = state[cls] || "";
    box.addEventListener("input", () => unguess(row, cls));
  }
  tr.querySelector(".confirm").addEventListener("click", () => { unguess(row, "d2o"); unguess(row, "conc"); });
  tr.querySelector(".remove").addEventListener("click", () => {
    tr.remove();
    measuredRows.splice(measuredRows.indexOf(row), 1);
    document.getElementById("measured-table").hidden = measuredRows.length === 0;
    markStale();
  });
  document.getElementById("measured-rows").append(tr);
  document.getElementById("measured-table").hidden = false;
  measuredRows.push(row);
  return row;
}

function unguess(row, cls) {
  row.tr.querySelector("." + cls).classList.remove("guessed");
  row.tr.querySelector(`#measured-${cls}-note-${row.id}`).textContent = "";
}

function showRowProblem(row, message) {
  row.readable = false;
  row.tr.querySelector(".error").textContent = message;
  for (const box of row.tr.querySelectorAll("input, .confirm")) box.disabled = true;
  row.tr.querySelector(".read").textContent = "not read";
}

function fillMeasuredRow(row, info) {
  if (info.status !== 0) {
    showRowProblem(row, info.message);
    return;
  }
  row.readable = true;
  row.tr.querySelector(".title").textContent = info.title;
  row.tr.querySelector(".read").textContent =
    `${info.points} points, ${info.q_min}–${info.q_max}` + (info.unit ? `, I in ${info.unit}` : ", I in arbitrary units") +
    (info.curves > 1 ? ` (the first of ${info.curves} curves)` : "");
  for (const cls of ["d2o", "conc"]) {
    const box = row.tr.querySelector("." + cls);
    if (box.value === "" && info[cls] !== "") {
      box.value = info[cls];
      box.classList.add("guessed");
      row.tr.querySelector(`#measured-${cls}-note-${row.id}`).textContent = `guessed from ${info[cls + "_from"]}: check it`;
    }
  }
}

// The slips of the measured rows: a row without its data (a shared plan's, to load
// again), a D2O box empty, not a number or still guessed, two curves at one point.
function checkMeasuredSlips(mark) {
  const seen = new Map();
  for (const row of measuredRows) {
    const error = row.tr.querySelector(".error");
    if (!row.readable) {
      if (row.bytes === null && !error.textContent) {
        return mark(document.getElementById("measured-files"), error,
                    `${row.name}: load this file again (a shared plan carries its D2O point, not its data).`);
      }
      continue;
    }
    const d2o = row.tr.querySelector(".d2o");
    const conc = row.tr.querySelector(".conc");
    const d2oLabel = `D2O (%) of ${row.name}`;
    const concLabel = `Concentration (mg/mL) of ${row.name}`;
    if (d2o.value.trim() === "") return mark(d2o, error, `${d2oLabel}: give the D2O percentage this curve was measured at.`);
    const slip = slipIn(d2o, d2oLabel, true) || slipIn(conc, concLabel, false);
    if (slip) return mark(slip.startsWith(d2oLabel) ? d2o : conc, error, slip);
    for (const [box, label] of [[d2o, d2oLabel], [conc, concLabel]]) {
      if (box.classList.contains("guessed")) {
        return mark(box, error, `${label}: ${box.value} was guessed from the file; confirm it or correct it.`);
      }
    }
    const point = Number(d2o.value.trim());
    if (seen.has(point)) {
      return mark(d2o, error, `${d2oLabel}: ${seen.get(point)} is also at ${d2o.value.trim()} %; ` +
                  "two curves at one point are not averaged: remove one or correct its D2O.");
    }
    seen.set(point, row.name);
  }
  return true;
}

// The measured rows as the planner's settings, the command line's words and the files.
function measuredCommand(args, run, files) {
  const used = measuredRows.filter((r) => r.readable);
  for (const row of used) {
    const d2o = row.tr.querySelector(".d2o").value.trim();
    const conc = row.tr.querySelector(".conc").value.trim();
    run.push(["--measured", `${d2o}=${row.path}`]);
    args.push("--measured", `${d2o}=${row.name.replace(/\.gz$/i, "")}`);
    if (conc !== "") {
      run.push(["--measured-conc", `${d2o}=${conc}`]);
      args.push("--measured-conc", `${d2o}=${conc}`);
    }
    files.push([row.path, row.bytes]);
  }
  if (used.length > 0 && checked("fit-measured")) {
    run.push(["--fit", ""]);
    args.push("--fit");
  }
}

// The measured results: the Guinier table as the report words it, and what the curves
// say together.
function showMeasured(result) {
  const box = document.getElementById("measured-box");
  box.hidden = result.measured.length === 0;
  if (box.hidden) return;
  const names = [["d2o", "D2O", "%"], ["file", "File", ""], ["points", "Points used", ""], ["q_range", "q range", "1/Å"],
                 ["rg", "Rg", "Å"], ["i0", "I(0)", ""], ["i0_per_conc", "I(0)/c", "per mg/mL"]];
  const columns = names.map(([key, heading, unit]) => ({name: key, heading, unit,
    cells: result.measured.map((r) => (r.fitted || ["d2o", "file"].includes(key) ? r[key] : key === "points" ? r.why : ""))}));
  fillTable(document.getElementById("measured-results"), columns, () => true);
  document.getElementById("measured-findings").textContent = result.measured_findings;
}

function measuredState() {
  return measuredRows.map((r) => ({name: r.name, path: r.path, d2o: r.tr.querySelector(".d2o").value,
    conc: r.tr.querySelector(".conc").value}));
}
function restoreMeasured(states) {
  for (const state of states || []) {
    const row = addMeasuredRow(state);
    row.tr.querySelector(".read").textContent = "load this file again";
    row.tr.querySelector(".confirm").disabled = true;
  }
}

const filesInput = document.getElementById("measured-files");
async function takeFiles(files) {
  for (const file of files) {
    // A shared plan's row of this name takes the file and keeps its D2O point.
    const waiting = measuredRows.find((r) => r.name === file.name && !r.readable && r.bytes === null);
    if (waiting) {
      waiting.bytes = await unpacked(file);
      if (waiting.bytes === null) { showRowProblem(waiting, `${file.name} is damaged or cut short.`); continue; }
      waiting.tr.querySelector(".confirm").disabled = false;
      fillMeasuredRow(waiting, await inspect(waiting.path, file.name.replace(/\.gz$/i, ""), waiting.bytes));
    } else {
      await addMeasuredFile(file);
    }
  }
  markStale();
}
filesInput.addEventListener("change", async () => {
  await takeFiles([...filesInput.files]);
  filesInput.value = "";
});
const drop = document.getElementById("measured-drop");
drop.addEventListener("dragover", (event) => { event.preventDefault(); drop.classList.add("over"); });
drop.addEventListener("dragleave", () => drop.classList.remove("over"));
drop.addEventListener("drop", (event) => {
  event.preventDefault();
  drop.classList.remove("over");
  takeFiles([...event.dataTransfer.files]);
});
