// --- Calculate.
const PLOTS = [["contrast", "contrast"], ["sld", "SLD"], ["i0", "I(0)"], ["stuhrmann", "Stuhrmann"],
               ["curves", "predicted curves"], ["pr", "P(r)"], ["time", "counting time"],
               ["simulated", "simulated data"], ["fit", "model fitted to the data"],
               ["guinier", "Guinier plots, measured"], ["match", "match point, measured"],
               ["measured-stuhrmann", "Stuhrmann plot, measured"]];
// The form as last calculated, which a change of plot draws again; the results of
// the command lines run so far, so that a plot seen before is not computed again.
let lastForm = null;
const computed = new Map();
const MAX_COMPUTED = 12;
function jobKey(job) {
  return JSON.stringify([job.request, job.files.map(([name, data]) => [name, data.length])]);
}

// Any edit after a calculation: the results, their downloads and link no longer
// belong to the form until the next Calculate.
function markStale() {
  const results = document.getElementById("results");
  if (results.hidden || results.classList.contains("stale")) return;
  results.classList.add("stale");
  document.getElementById("stale").hidden = false;
  for (const link of document.querySelectorAll("#results a[download]")) {
    link.removeAttribute("href");
    link.setAttribute("aria-disabled", "true");
  }
  document.getElementById("share-link").value = "";
  document.getElementById("copy-link").disabled = true;
}
function markFresh() {
  document.getElementById("results").classList.remove("stale");
  document.getElementById("stale").hidden = true;
  for (const link of document.querySelectorAll("#results a[download]")) link.removeAttribute("aria-disabled");
  document.getElementById("copy-link").disabled = false;
}

// Calculates the form with `plot` (fromForm), or draws `plot` for the form as last
// calculated.
async function calculate(plot, fromForm = true) {
  clearErrors();
  if (fromForm && !checkSlips()) {
    document.getElementById("results").hidden = true;
    return;
  }
  const form = fromForm || lastForm === null ? formCommand() : lastForm;
  const job = commandLine(plot, form);
  const missing = job.nodes.find((n) => n.querySelector(".kind").value === "structure" && !n.model);
  if (missing) {
    const error = missing.querySelector(".error");
    error.textContent = "Model file: load the model's file (.pdb, .cif or their .gz).";
    missing.querySelector(".structure-file").setAttribute("aria-invalid", "true");
    missing.querySelector(".structure-file").focus();
    return;
  }
  const progress = document.getElementById("progress");
  progress.hidden = false;
  progress.value = 0;
  document.getElementById("status").textContent = "Calculating…";
  const started = performance.now();
  const key = jobKey(job);
  const result = computed.has(key) ? computed.get(key) : await runPlanner(job);
  if (result === null) return;  // a newer run took its place
  if (result.status === 0 && !computed.has(key)) {
    if (computed.size >= MAX_COMPUTED) computed.delete(computed.keys().next().value);
    computed.set(key, result);
  }
  progress.hidden = true;
  const seconds = ((performance.now() - started) / 1000).toFixed(2);
  const results = document.getElementById("results");
  if (result.status !== 0) {
    document.getElementById("status").textContent = "";
    results.hidden = true;
    showError(result.error, job);
    return;
  }
  document.getElementById("status").textContent = `Done in ${seconds} s.`;
  if (fromForm) lastForm = form;
  document.getElementById("warnings").textContent = result.warnings.map((w) => "Warning: " + w).join("\n");
  matchTable(result.match_points);
  // Measured curves alone have no series: its tables are left out, not shown empty.
  document.getElementById("match-box").hidden = result.match_points.length === 0;
  document.getElementById("series-box").hidden = result.match_points.length === 0;
  showMeasured(result);
  showSeries(result.columns);
  document.getElementById("stuhrmann-box").hidden = result.stuhrmann.length === 0;
  if (result.stuhrmann.length > 0) fillTable(document.getElementById("stuhrmann"), stuhrmannColumns(result.stuhrmann), () => true);
  // The plot kinds this plan has, and the lines and points a curves plot may draw.
  const kinds = document.getElementById("plot-kind");
  const available = PLOTS.filter(([k]) => !(k === "i0" && value("conc") === "") &&
    !(k === "stuhrmann" && result.stuhrmann.length === 0) && !(["curves", "pr"].includes(k) && result.curve_lines.length === 0) &&
    !(["time", "simulated"].includes(k) && !checked("beamtime")) && !(k === "fit" && !result.fitted) &&
    !(["guinier", "match", "measured-stuhrmann"].includes(k) && result.measured.length === 0) &&
    !(k === "measured-stuhrmann" && result.match_points.length === 0) &&
    !(result.match_points.length === 0 && !["guinier", "match", "fit"].includes(k)));
  kinds.replaceChildren(...available.map(([k, text]) => new Option(text, k)));
  kinds.value = plot.kind;
  const curvesPlot = ["curves", "pr"].includes(plot.kind);
  document.getElementById("show-component-box").hidden = !curvesPlot;
  document.getElementById("show-d2o-box").hidden = !curvesPlot;
  if (curvesPlot && result.curve_lines.length > 0) {
    const lines = result.curve_lines;
    const select = document.getElementById("show-component");
    select.replaceChildren(...lines.map((l) => new Option(l, l)));
    select.value = plot.component || (lines.includes("complex") ? "complex" : lines[0]);
    const points = result.points;
    const box = document.getElementById("show-d2o");
    const drawn = plot.d2o.length > 0 ? plot.d2o : null;
    box.replaceChildren(...points.map((p, k) => {
      const span = document.createElement("span");
      span.className = "field check";
      span.innerHTML = `<input type="checkbox" id="show-d2o-${k}" value="${p}"><label for="show-d2o-${k}">${p} %</label>`;
      // By default the five points the command draws: spread evenly over the series.
      const spread = [0, 1, 2, 3, 4].map((i) => Math.floor(i * (points.length - 1) / 4));
      span.querySelector("input").checked = drawn ? drawn.includes(p) : spread.includes(k);
      span.querySelector("input").addEventListener("change", replot);
      return span;
    }));
  }
  const svg = result.svg || "";
  document.getElementById("plot").innerHTML = svg.replace(/^<\?xml[^>]*>\s*/, "");
  const plotSvg = document.querySelector("#plot svg");
  if (plotSvg) { plotSvg.setAttribute("role", "img"); plotSvg.setAttribute("aria-label", plotSvg.querySelector("text")?.textContent || "plot"); }
  const plotData = {curves: "curves", pr: "pr", stuhrmann: "stuhrmann"}[plot.kind] || "series";
  downloadLink("download-svg", svg, "image/svg+xml");
  downloadLink("download-plot-csv", result[plotData + "_csv"], "text/csv");
  document.getElementById("download-plot-csv").download = "quorvane-" + plotData + ".csv";
  downloadLink("download-csv", result.series_csv, "text/csv");
  downloadLink("download-report", result.report, "text/plain");
  document.getElementById("report").textContent = result.report || "";
  // The notes: what the planner assumed or counted as a mean, and the deuteration
  // that matches a partner out.
  document.getElementById("notes").replaceChildren(...result.notes.map((line) => {
    const item = document.createElement("li");
    item.textContent = line;
    return item;
  }));
  document.getElementById("notes-box").hidden = result.notes.length === 0;
  const fragment = "#plan=" + await encodePlan(planState());
  history.replaceState(null, "", fragment);
  document.getElementById("share-link").value = location.href;
  document.getElementById("command-line").value = "quorvane-series " + job.shown.map(quoted).join(" ");
  results.hidden = false;
  if (fromForm) {
    markFresh();
  } else if (results.classList.contains("stale")) {
    // A new plot of the old form: its links are as out of date as the rest.
    results.classList.remove("stale");
    markStale();
  }
}
function currentPlot() {
  const kind = document.getElementById("plot-kind").value || "contrast";
  const d2o = [...document.querySelectorAll("#show-d2o input:checked")].map((i) => i.value);
  const component = document.getElementById("show-component").value;
  return {kind, d2o, component};
}
function replot() { calculate(currentPlot(), false); }

buildRunSettings();
startWorker();
document.getElementById("add-component").addEventListener("click",
  () => addComponent(null).querySelector("textarea").focus());
document.getElementById("planner").addEventListener("submit", (event) => {
  event.preventDefault();
  // Measured curves alone have no series to plot: their match point instead.
  const alone = componentsBox.querySelector(".component") === null;
  const kind = document.getElementById("plot-kind").value;
  const measuredKinds = ["guinier", "match", "fit"];
  calculate({kind: alone && !measuredKinds.includes(kind) ? "match" : kind || "contrast", d2o: [], component: ""});
});
document.getElementById("plot-kind").addEventListener("change", () => calculate({...currentPlot(), d2o: [], component: ""}, false));
// Turning a phone or narrowing the window redraws the plot in the layout that fits.
NARROW.addEventListener("change", () => {
  if (!document.getElementById("results").hidden) replot();
});
document.getElementById("planner").addEventListener("input", markStale);
document.getElementById("planner").addEventListener("change", markStale);
document.getElementById("copy-link").addEventListener("click", async () => {
  const link = document.getElementById("share-link");
  try {
    await navigator.clipboard.writeText(link.value);
  } catch (e) {
    link.select();
    document.execCommand("copy");
  }
  document.getElementById("copy-status").textContent = "Link copied.";
});
document.getElementById("show-component").addEventListener("change", replot);
(async () => {
  const plan = location.hash.match(/^#plan=([A-Za-z0-9_-]+)$/);
  if (plan) {
    try {
      const kind = restorePlan(await decodePlan(plan[1]));
      const kinds = document.getElementById("plot-kind");
      kinds.replaceChildren(new Option(kind, kind));
      if (![...componentsBox.querySelectorAll(".component")].some((n) => n.dataset.kind === "structure") &&
          measuredRows.length === 0) {
        calculate({kind, d2o: [], component: ""});
      }
      return;
    } catch (e) {
      document.getElementById("error-global").textContent = "The link's plan could not be read; it may have been cut short.";
    }
  }
  addComponent(null);
})();