#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The consistent model's JSON export from two builds of kelvado-cli, number by number.

    bench/consistent_compare.py OLD_CLI NEW_CLI [--tolerance 1e-9]

The cases: the default case; a map of flow-rate ratio (0.1 .. 0.9) by power-law index (0.4 .. 1);
a few deeper, longer, hotter and colder ones; the README's three-zone screw at 80 rpm. Every
number of the export must agree within the tolerance relative to the larger of the two, or to
a millionth of the largest size of its own field across the run (a velocity crossing zero in a
profile, a pressure crossing zero along the channel, whose own size says nothing of the
error), and every other value (status, model, warnings) exactly. The largest gap plain
relative to each number's own size is printed beside it, with where it is. The Newton iterations of each step
(closureIter) may differ and are only summed. Exits 1 on any difference.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

FIELD_SHARE = 1e-6
ZONES = ["--rpm", "80", "--output-rate", "55.83", "--zone", "turns=4,depth=0.6",
         "--zone", "turns=4,depth=0.6:0.25", "--zone", "turns=12,depth=0.25"]


def cases():
    yield "default", []
    for q in (0.1, 0.2, 0.3, 0.45, 0.6, 0.75, 0.9):
        for n in (0.4, 0.6, 0.786, 1.0):
            yield "q=%g n=%g" % (q, n), ["--flow-rate-ratio", str(q), "--power-index", str(n)]
    yield "deep", ["--channel-depth", "0.6"]
    yield "long", ["--length-ratio", "24"]
    yield "cold inlet", ["--inlet-temp", "260"]
    yield "hot barrel", ["--barrel-temp", "330", "--temp-coeff", "0.05"]
    yield "newtonian b=0", ["--power-index", "1", "--temp-coeff", "0"]
    yield "three zones", ZONES


def run(cli, args, folder):
    path = os.path.join(folder, "run.json")
    if os.path.exists(path):
        os.remove(path)
    done = subprocess.run([cli, "--flow-model", "consistent", "--output", os.path.join(folder, "r.txt"),
                           "--json", path] + args, capture_output=True, text=True, timeout=300)
    export = json.load(open(path)) if os.path.exists(path) else None
    return done.returncode, export


def leaves(value, path, out):
    if isinstance(value, dict):
        for key, item in value.items():
            leaves(item, path + "." + key, out)
    elif isinstance(value, list):
        for index, item in enumerate(value):
            leaves(item, "%s[%d]" % (path, index), out)
    else:
        out[path] = value


def field(path):
    return re.sub(r"\[\d+\]", "[]", path)


def compare(old, new, tolerance):
    a, b = {}, {}
    leaves(old, "", a)
    leaves(new, "", b)
    if a.keys() != b.keys():
        return ["fields differ: %s" % sorted(a.keys() ^ b.keys())[:5]], 0.0, (0.0, ""), 0, 0
    sizes = {}
    for values in (a, b):
        for path, v in values.items():
            if isinstance(v, (int, float)) and not isinstance(v, bool):
                sizes[field(path)] = max(sizes.get(field(path), 0.0), abs(v))
    problems, worst, iters_old, iters_new = [], 0.0, 0, 0
    plain = (0.0, "")
    for path in a:
        x, y = a[path], b[path]
        if path.endswith(".closureIter"):
            iters_old += x
            iters_new += y
            continue
        numbers = all(isinstance(v, (int, float)) and not isinstance(v, bool) for v in (x, y))
        if not numbers:
            if x != y:
                problems.append("%s: %r against %r" % (path, x, y))
            continue
        scale = max(abs(x), abs(y), sizes[field(path)] * FIELD_SHARE)
        gap = abs(x - y) / scale if scale > 0 else 0.0
        worst = max(worst, gap)
        own = max(abs(x), abs(y))
        if own > 0 and abs(x - y) / own > plain[0]:
            plain = (abs(x - y) / own, "%s (%r against %r)" % (path, x, y))
        if gap > tolerance:
            problems.append("%s: %r against %r (%.3g)" % (path, x, y, gap))
    return problems, worst, plain, iters_old, iters_new


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--tolerance", type=float, default=1e-9)
    options = parser.parse_args()
    failed, worst, count, iters = 0, 0.0, 0, [0, 0]
    plain = (0.0, "")
    with tempfile.TemporaryDirectory() as folder:
        for name, args in cases():
            count += 1
            code_old, old = run(os.path.abspath(options.old), args, folder)
            code_new, new = run(os.path.abspath(options.new), args, folder)
            if code_old != code_new or (old is None) != (new is None):
                print("%s: exit %d against %d" % (name, code_old, code_new))
                failed += 1
                continue
            if old is None:
                continue
            problems, gap, own, i_old, i_new = compare(old, new, options.tolerance)
            worst = max(worst, gap)
            if own[0] > plain[0]:
                plain = (own[0], "%s %s" % (name, own[1]))
            iters[0] += i_old
            iters[1] += i_new
            if problems:
                failed += 1
                print("%s: %d numbers differ, first %s" % (name, len(problems), problems[0]))
    print("%d cases, %d differ; largest relative gap %.3g (tolerance %g); Newton iterations %d before, %d now"
          % (count, failed, worst, options.tolerance, iters[0], iters[1]))
    print("largest gap plain relative to the number's own size: %.3g, %s" % plain)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
