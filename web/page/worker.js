"use strict";
// The planner's module runs here, away from the page; the page sends a command line
// and files, and hears progress, then the reports.
const ready = QuorvaneModule().then((module) => {
  module.FS.mkdir("/work");
  module.FS.chdir("/work");
  return module;
});
const remove = (module, path) => {
  try { module.FS.unlink(path); } catch (e) { /* not there */ }
};
onmessage = async (event) => {
  const {args, files, outputs} = event.data;
  try {
    const module = await ready;
    for (const [name, data] of files) {
      // A component's own folder, for a file whose name another component's file shares.
      if (name.includes("/")) {
        try { module.FS.mkdir(name.slice(0, name.lastIndexOf("/"))); } catch (e) { /* there */ }
      }
      module.FS.writeFile(name, data);
    }
    const status = module.ccall("run_page", "number", ["string"], [args.join("\n")]);
    const read = (path) => {
      try { return module.FS.readFile(path, {encoding: "utf8"}); } catch (e) { return null; }
    };
    const result = {status, out: read("/report.out"), err: read("/report.err"), files: {},
                    error: status === 0 ? null : JSON.parse(module.ccall("page_error", "string", [], []))};
    for (const name of outputs) {
      result.files[name] = read(name);
      remove(module, name);
    }
    for (const [name] of files) remove(module, name);
    postMessage({done: result});
  } catch (e) {
    postMessage({done: {status: 1, out: "", err: "", files: {}, error: {input: -1, setting: "", value: "",
      expected: "", message: "The planner stopped unexpectedly: " + e + ". Reload the page and try again."}}});
  }
};
