#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""A random map of consistent-model cases through one kelvado-cli: how many end without
numbers and why, and how well the finished ones close their power balance.

    bench/consistent_map.py [--cli build/release/cli/kelvado-cli] [--cases 300] [--seed 26]

Each case draws n in 0.25..1, b in 0..0.06 1/C, q in 0.01..0.95, L/D in 1..30, the depth
0.1..0.8 cm, the pitch 3..10 cm and the barrel within 60 K of the 300 C inlet (the other
fields the defaults). The same seed gives the same cases, so two builds can be compared.
Prints the share refused, each refusal's exit status and message, and the largest gap
between Cooling (1) and Cooling (2) as a share of the balance's largest term.
"""
import argparse
import json
import os
import random
import subprocess
import sys
import tempfile


def draw(rng):
    return {
        "power-index": rng.uniform(0.25, 1.0),
        "temp-coeff": rng.uniform(0.0, 0.06),
        "flow-rate-ratio": rng.uniform(0.01, 0.95),
        "length-ratio": rng.uniform(1.0, 30.0),
        "channel-depth": rng.uniform(0.1, 0.8),
        "screw-pitch": rng.uniform(3.0, 10.0),
        "barrel-temp": 300.0 + rng.uniform(-60.0, 60.0),
    }


def run(cli, case, folder):
    json_path = os.path.join(folder, "run.json")
    args = [cli, "--flow-model", "consistent", "--output", os.path.join(folder, "result.txt"),
            "--json", json_path]
    for name, value in case.items():
        args += ["--" + name, "%.6g" % value]
    done = subprocess.run(args, capture_output=True, text=True, timeout=120)
    balance = None
    if done.returncode == 0:
        with open(json_path, encoding="utf-8") as f:
            balance = json.load(f)["powerBalance"]
    return done.returncode, done.stderr.strip(), balance


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default="build/release/cli/kelvado-cli")
    parser.add_argument("--cases", type=int, default=300)
    parser.add_argument("--seed", type=int, default=26)
    options = parser.parse_args()
    rng = random.Random(options.seed)
    refused, worst = [], (0.0, None)
    with tempfile.TemporaryDirectory() as folder:
        for index in range(options.cases):
            case = draw(rng)
            status, message, balance = run(options.cli, case, folder)
            if status != 0:
                refused.append((index, status, message, case))
                continue
            terms = [abs(balance[k]) for k in ("totalPower_kW", "enthalpyDifference_kW",
                                                 "powerForPressureRise_kW", "cooling2_kW")]
            gap = abs(balance["cooling1_kW"] - balance["cooling2_kW"]) / max(terms)
            if gap > worst[0]:
                worst = (gap, case)
    print("cases %d, refused %d (%.1f %%)" % (options.cases, len(refused),
                                              100.0 * len(refused) / options.cases))
    for index, status, message, case in refused:
        shown = " ".join("%s=%.4g" % (k, v) for k, v in case.items())
        print("  #%d exit %d: %s\n      %s" % (index, status, message.splitlines()[0] if message else "", shown))
    print("largest Cooling (1) - Cooling (2) gap: %.3f %% of the largest term" % (100.0 * worst[0]))
    if worst[1]:
        print("      " + " ".join("%s=%.4g" % (k, v) for k, v in worst[1].items()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
