// --- The worker: one run at a time; a new run ends the one before.
let worker = null;
let running = null;
function startWorker() {
  const source = "var _scriptDir;\nvar QuorvaneModule = " + QuorvaneModule.toString() + ";\n" +
                 document.getElementById("worker-source").textContent;
  worker = new Worker(URL.createObjectURL(new Blob([source], {type: "text/javascript"})));
  // A run the module could not finish (it ran out of memory, or hit a fault) ends
  // with its message instead of results.
  worker.onerror = (event) => {
    event.preventDefault();
    if (!running) return;
    const finish = running.resolve;
    running = null;
    finish({status: 1, warnings: [], error: {input: -1, setting: "", value: "", expected: "",
            message: "The planner stopped unexpectedly: " + (event.message || "no reason given") +
                     ". Reload the page and try again; if it happens again, report it."}});
    startWorker();
  };
  worker.onmessage = (event) => {
    if (!running) return;
    if (event.data.progress !== undefined) {
      document.getElementById("progress").value = event.data.progress;
      document.getElementById("status").textContent =
        `Computing the ${event.data.stage || "curves"}: ${Math.round(event.data.progress * 100)} %`;
    } else if (event.data.done) {
      const finish = running.resolve;
      running = null;
      finish(event.data.done);
    }
  };
}
function runPlanner(job) {
  if (running) {
    worker.terminate();
    running.resolve(null);
    running = null;
    startWorker();
  }
  return new Promise((resolve) => {
    running = {resolve};
    worker.postMessage({request: job.request, files: job.files});
  });
}

