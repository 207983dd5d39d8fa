"use strict";
// The planner's module runs here, away from the page; the page sends a request (JSON)
// and the models' files, and hears progress, then the result (JSON).
const ready = QuorvaneModule().then((module) => {
  module.FS.mkdir("/work");
  module.FS.chdir("/work");
  return module;
});
const remove = (module, path) => {
  try { module.FS.unlink(path); } catch (e) { /* not there */ }
};
onmessage = async (event) => {
  if (event.data.inspect) {
    // A measured file read on its own, before any calculation: what the row shows.
    const {path, shown, bytes} = event.data.inspect;
    const module = await ready;
    try { module.FS.mkdir("m"); } catch (e) { /* there */ }
    module.FS.writeFile(path, bytes);
    const inspected = JSON.parse(module.ccall("measured_page", "string", ["string", "string"], [path, shown]));
    remove(module, path);
    postMessage({path, inspected});
    return;
  }
  const {request, files} = event.data;
  try {
    const module = await ready;
    for (const [name, data] of files) {
      // A component's own folder, for a file whose name another component's file shares.
      if (name.includes("/")) {
        try { module.FS.mkdir(name.slice(0, name.lastIndexOf("/"))); } catch (e) { /* there */ }
      }
      module.FS.writeFile(name, data);
    }
    const result = JSON.parse(module.ccall("plan_page", "string", ["string"], [JSON.stringify(request)]));
    for (const [name] of files) remove(module, name);
    postMessage({done: result});
  } catch (e) {
    postMessage({done: {status: 1, warnings: [], error: {input: -1, setting: "", value: "",
      expected: "", message: "The planner stopped unexpectedly: " + e + ". Reload the page and try again."}}});
  }
};
