#!/usr/bin/env python3
"""How many small faults the test suite catches.

Injects one small fault at a time into the library's sources (a comparison, an
arithmetic or logical operator, a boolean or a number changed), rebuilds the test preset,
runs CTest, and logs which tests failed, one JSON line per fault that compiled. Then it
prints how many faults were caught, by how many tests, and the ones that none caught:
each of those is a test to write or an equivalent change to pass over.

    tools/mutants.py run [--count N] [--seed S] [--log FILE]   in a clean checkout
    tools/mutants.py summary FILE

It edits the files under src/ in place and puts each back before the next, so run it in a
checkout of its own (git worktree add ../mutants), configured with `cmake --preset test`;
it refuses to start where src/ has changes. With the same seed and log, a run
goes on where a stopped one stopped. A fault takes a rebuild and a run of the
suite, about twenty seconds on two cores.
"""
import argparse
import collections
import json
import os
import random
import re
import subprocess
import sys

CHANGES = [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "), (" == ", " != "),
           (" != ", " == "), (" + ", " - "), (" - ", " + "), (" * ", " / "), (" && ", " || "),
           (" || ", " && "), ("true", "false"), ("false", "true"), ("++", "--")]
NUMBER = re.compile(r"(?<![\w.])(\d+\.\d+|\d+)(?![\w.])")


def faults_of(line):
    """Every changed line one small fault makes of `line`; none in comments or texts."""
    code = line.strip()
    if not code or code.startswith(("//", "#", "*")) or '"' in code:
        return []
    found = [line.replace(a, b, 1) for a, b in CHANGES if a in line]
    for m in NUMBER.finditer(line):
        digits = m.group(1)
        other = str(int(digits) + 1) if "." not in digits else \
            digits[:-1] + str((int(digits[-1]) + 1) % 10)
        found.append(line[:m.start()] + other + line[m.end():])
    return found


def run(args):
    if subprocess.run(["git", "diff", "--quiet", "--", "src"]).returncode != 0:
        sys.exit("mutants: src/ has changes; run in a clean checkout of its own")
    sources = [f for f in subprocess.check_output(["git", "ls-files", "src"], text=True).split()
               if f.endswith(".cpp") and not f.endswith("_test.cpp")]
    sites = [(f, n, changed) for f in sources for n, line in enumerate(open(f))
             for changed in faults_of(line)]
    random.Random(args.seed).shuffle(sites)
    # A run stopped part way goes on where it stopped: faults already in the log count.
    logged = set()
    if os.path.exists(args.log):
        logged = {(f["file"], f["line"], f["now"]) for f in map(json.loads, open(args.log))}
    built = 0
    with open(args.log, "a") as log:
        for path, n, changed in sites:
            if built >= args.count:
                break
            if (path, n + 1, changed.strip()) in logged:
                built += 1
                continue
            lines = open(path).readlines()
            original, lines[n] = lines[n], changed
            open(path, "w").writelines(lines)
            try:
                build = subprocess.run(["cmake", "--build", "--preset", "test"],
                                       capture_output=True, text=True, errors="replace")
                if build.returncode != 0:
                    continue
                tests = subprocess.run(["ctest", "--preset", "test", "-j2", "--timeout", "120"],
                                       capture_output=True, text=True, errors="replace")
                built += 1
                failed = re.findall(r"^\s+\d+ - (\S+) \(", tests.stdout, re.M)
                log.write(json.dumps({"file": path, "line": n + 1, "was": original.strip(),
                                      "now": changed.strip(), "failed": failed}) + "\n")
                log.flush()
                print("%d/%d %s:%d %s" % (built, args.count, path, n + 1,
                                          "caught by %d" % len(failed) if failed else "NOT CAUGHT"))
            finally:
                lines[n] = original
                open(path, "w").writelines(lines)
    subprocess.run(["cmake", "--build", "--preset", "test"], capture_output=True)
    summary(args.log)


def summary(path):
    faults = [json.loads(line) for line in open(path)]
    caught = [f for f in faults if f["failed"]]
    alone = collections.Counter(f["failed"][0] for f in caught if len(f["failed"]) == 1)
    print("%d faults: %d caught, %d by one test alone; %d not caught" % (
        len(faults), len(caught), sum(alone.values()), len(faults) - len(caught)))
    for name, count in alone.most_common():
        print("  alone %3d  %s" % (count, name))
    for f in faults:
        if not f["failed"]:
            print("  not caught  %s:%d  %s  ->  %s" % (f["file"], f["line"], f["was"], f["now"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    r = sub.add_parser("run")
    r.add_argument("--count", type=int, default=100)
    r.add_argument("--seed", type=int, default=1)
    r.add_argument("--log", default="mutants.jsonl")
    s = sub.add_parser("summary")
    s.add_argument("log")
    args = parser.parse_args()
    run(args) if args.command == "run" else summary(args.log)


if __name__ == "__main__":
    main()
