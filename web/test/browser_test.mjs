// Drives the planner's page in headless Chromium through ChromeDriver's WebDriver
// protocol (node's own fetch; no browser download, no npm package): lysozyme and a 70 %
// deuterated ubiquitin partner typed in, the page's tables compared with the CSV of
// the command-line planner for the same inputs, a bad sequence's error beside its
// field, and screenshots at 1200 and 400 px for a person to look at.
// Usage: node browser_test.mjs PAGE QUORVANE_SERIES EXAMPLES_DIR OUT_DIR
import { spawn, execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";

const [page, series, examples, outDir] = process.argv.slice(2).map((p) => resolve(p));
const port = 9515 + Math.floor(Math.random() * 400);
const driver = spawn("chromedriver", [`--port=${port}`], { stdio: "ignore" });
const base = `http://127.0.0.1:${port}`;
let session = "";
let failures = 0;

function check(condition, what) {
  console.log(`${condition ? "ok  " : "FAIL"} ${what}`);
  if (!condition) failures++;
}

async function call(method, path, body) {
  const response = await fetch(base + path, {
    method, headers: { "Content-Type": "application/json" },
    body: body === undefined ? undefined : JSON.stringify(body) });
  const json = await response.json();
  if (!response.ok) throw new Error(`${method} ${path}: ${JSON.stringify(json.value)}`);
  return json.value;
}
const at = (path) => `/session/${session}${path}`;
const run = (script, ...args) => call("POST", at("/execute/sync"), { script, args });
async function element(css) {
  const found = await call("POST", at("/element"), { using: "css selector", value: css });
  return Object.values(found)[0];
}
async function type(css, text) {
  const id = await element(css);
  await call("POST", at(`/element/${id}/clear`), {});
  await call("POST", at(`/element/${id}/value`), { text });
}
async function click(css) { await call("POST", at(`/element/${await element(css)}/click`), {}); }
async function waitFor(script, what) {
  for (let i = 0; i < 100; ++i) {
    if (await run(script)) return;
    await new Promise((done) => setTimeout(done, 100));
  }
  throw new Error(`timed out waiting for ${what}`);
}
async function screenshot(name, width) {
  await call("POST", at("/window/rect"), { width, height: 1400 });
  const path = join(outDir, name);
  writeFileSync(path, Buffer.from(await call("GET", at("/screenshot")), "base64"));
  console.log(`screenshot: ${path}`);
}

try {
  for (let i = 0; ; ++i) {
    try { if ((await call("GET", "/status")).ready) break; } catch (e) { if (i > 50) throw e; }
    await new Promise((done) => setTimeout(done, 100));
  }
  const created = await call("POST", "/session", { capabilities: { alwaysMatch: {
    browserName: "chrome", "goog:chromeOptions": { binary: "/usr/bin/chromium", args: [
      "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
      "--no-first-run", "--disable-background-networking", "--disable-component-update",
      "--disable-sync", "--disable-quic", `--user-data-dir=${mkdtempSync(join(tmpdir(), "chromium-"))}`,
      "--window-size=1200,1400"] } } } });
  session = created.sessionId;
  await call("POST", at("/url"), { url: "file://" + page });
  await waitFor("return document.getElementById('sequence-1') !== null", "the page");

  const lysozyme = readFileSync(join(examples, "lysozyme_1.DAT"), "utf8").trim();
  const ubiquitin = readFileSync(join(examples, "ubiquitin_1.DAT"), "utf8").trim();
  await type("#label-1", "lysozyme");
  await type("#sequence-1", lysozyme);
  await click("#add-component");
  await type("#label-2", "partner");
  await type("#sequence-2", ubiquitin);
  await type("#deuteration-2", "70");
  await click("#calculate");
  await waitFor("return !document.getElementById('results').hidden", "the results");

  const table = (id) => run(`return [...document.querySelectorAll('#${id} tr')].map(
      (tr) => [...tr.children].map((cell) => cell.textContent))`);
  const matches = await table("match-points");
  const seriesRows = await table("series");
  const scratch = mkdtempSync(join(tmpdir(), "planner-"));
  writeFileSync(join(scratch, "lysozyme"), lysozyme);
  writeFileSync(join(scratch, "partner"), ubiquitin);
  const csv = execFileSync(series, ["--csv", "-l", "lysozyme", "lysozyme", "-d", "70", "-l",
                                    "partner", "partner"], { cwd: scratch, encoding: "utf8" });
  const expected = csv.trim().split("\n").map((line) => line.split(","));
  check(JSON.stringify(seriesRows) === JSON.stringify(expected),
        `the series table equals the command line's CSV (${expected.length - 1} rows)`);
  console.log(`     one row: ${seriesRows[11].join(" ")}`);
  const match = (label) => expected.find((row) => row[0] === label)[12];
  check(matches.length === 4 && matches[1][3] === `${match("lysozyme")} %` &&
        matches[3][3] === `${match("complex")} %`,
        `match points: ${matches.slice(1).map((row) => `${row[0]} ${row[3]}`).join("; ")}`);
  check(await run("return document.querySelector('#plot svg polyline') !== null"), "the plot is drawn");
  await run("window.scrollTo(0, 0)");
  await screenshot("web-page.png", 1200);
  await screenshot("web-page-400px.png", 400);

  await type("#sequence-1", "MKV12");
  await click("#calculate");
  await waitFor("return document.getElementById('error-1').textContent !== ''", "the error");
  const error = await run("return document.getElementById('error-1').textContent");
  check(error === 'component-1: 2 entries name no residue, the first "1"; correct the file, give ' +
        "its code with --code, or leave them out with --allow-unknown", `the bad sequence's error: ${error}`);
  check(await run("return document.getElementById('results').hidden"), "no results beside an error");
} catch (e) {
  console.log(`FAIL ${e.message}`);
  failures++;
} finally {
  if (session) await call("DELETE", at("")).catch(() => {});
  driver.kill();
}
console.log(failures === 0 ? "web page: all checks passed" : `web page: ${failures} checks failed`);
process.exit(failures === 0 ? 0 : 1);
