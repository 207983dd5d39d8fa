"""The manual runs as written: every quorvane-series command and every Python example of
the README and docs/ runs, in order and in one folder a chapter, from the files the
project ships (examples/) and Debian's packages, and what the chapter shows of its
output is in the output. Shown lines with "..." (columns left out) are skipped; a
wrapped line is found with its white space made single. A Python line ending in a
comment that holds numbers, `x  # (46.1, 44.49)`, checks x to the digits shown."""
import ast
import glob
import os
import re
import shutil
import subprocess
import sys

import pytest

SOURCE = os.environ["QUORVANE_SOURCE"]
BIN = os.environ["QUORVANE_BIN"]
PYTHONPATH = os.environ.get("QUORVANE_PYTHONPATH", "")
# The models the chapters name, at their Debian paths (pymol-data).
MODELS = {"1tii.pdb": "/usr/share/pymol/data/demo/1tii.pdb",
          "1hpv.pdb": "/usr/share/pymol/data/tut/1hpv.pdb"}
CHAPTERS = [os.path.join(SOURCE, "README.md")] + sorted(glob.glob(os.path.join(SOURCE, "docs",
                                                                              "*.md")))


def code_blocks(path):
    """The indented blocks of a Markdown file, each dedented, blank edges dropped."""
    blocks, run = [], []
    for line in open(path, encoding="utf-8").read().split("\n") + ["end"]:
        if line.startswith("    ") or (run and not line.strip()):
            run.append(line)
            continue
        while run and not run[-1].strip():
            run.pop()
        if run:
            indent = min(len(l) - len(l.lstrip()) for l in run if l.strip())
            blocks.append([l[indent:] for l in run])
        run = []
    return blocks


def steps(path):
    """("shell", command, shown lines) and ("python", code) in the chapter's order: a
    block's paragraphs each a command, or what the command before showed."""
    for block in code_blocks(path):
        if block[0].startswith(("import quorvane", "result = quorvane.")):
            yield ("python", "\n".join(block))
            continue
        paragraphs = [[]]
        for line in block:
            paragraphs.append([]) if not line.strip() else paragraphs[-1].append(line)
        command = None
        for lines in filter(None, paragraphs):
            if re.match(r"(cp|awk|quorvane-series) -?", lines[0]) and \
                    not lines[0].startswith("quorvane-series ["):
                if command:
                    yield command
                end = len(lines) - 1 if not lines[0].startswith("quorvane") else next(
                    i for i, l in enumerate(lines) if not l.rstrip().endswith("\\"))
                command = ("shell", "\n".join(lines[:end + 1]), lines[end + 1:])
            elif command:
                command[2].extend(lines)
        if command:
            yield command


def normal(text):
    return " ".join(text.split())


def checked_python(code):
    """Each `expression  # literal` line made a check of the expression's shown digits."""
    lines = []
    for line in code.split("\n"):
        m = re.match(r"^(\S.*?)\s+#\s*(\(.*\)|-?[0-9.]+)$", line)
        lines.append("_shows(%s, %r)" % (m.group(1), m.group(2)) if m else line)
    return "\n".join(lines)


def shows(value, shown):
    expected = ast.literal_eval(shown)
    values = value if isinstance(value, tuple) else (value,)
    wanted = expected if isinstance(expected, tuple) else (expected,)
    digits = [len(t.split(".")[1]) if "." in t else 0 for t in re.findall(r"-?[0-9.]+", shown)]
    assert [round(v, d) for v, d in zip(values, digits)] == list(wanted), (value, shown)


@pytest.mark.parametrize("chapter", CHAPTERS, ids=os.path.basename)
def test_chapter_runs_as_written(chapter, tmp_path):
    found = list(steps(chapter))
    if not found:
        pytest.skip("no command")
    os.symlink(os.path.join(SOURCE, "examples"), tmp_path / "examples")
    for name in os.listdir(os.path.join(SOURCE, "examples")):
        if os.path.isfile(os.path.join(SOURCE, "examples", name)):
            shutil.copy(os.path.join(SOURCE, "examples", name), tmp_path)
    text = open(chapter, encoding="utf-8").read()
    for name, path in MODELS.items():
        if name in text and " %s" % path not in text:  # a chapter that copies it does so itself
            shutil.copy(path, tmp_path)
    env = dict(os.environ, PATH=BIN + os.pathsep + os.environ["PATH"], PYTHONPATH=PYTHONPATH)
    python = []
    for step in found:
        if step[0] == "python":
            python.append(step[1])
            continue
        _, command, shown = step
        run = subprocess.run(["bash", "-c", command], cwd=tmp_path, env=env,
                             capture_output=True, text=True)
        assert run.returncode == 0, (command, run.stderr)
        output = normal(run.stdout)
        for line in shown:
            if line.strip() and "..." not in line:
                assert normal(line) in output, (command, line)
    if python and PYTHONPATH:
        script = "from test_manual_commands import shows as _shows\n" + \
            checked_python("\n".join(python))
        run = subprocess.run([sys.executable, "-c", script], cwd=tmp_path, capture_output=True,
                             text=True, env=dict(env, PYTHONPATH=PYTHONPATH + os.pathsep +
                                                 os.path.dirname(__file__)))
        assert run.returncode == 0, run.stderr
