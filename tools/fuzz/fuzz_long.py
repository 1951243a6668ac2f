#!/usr/bin/env python3
"""Long fuzzing runs: every fuzz_* test of a configured fuzz build, one after
another, for SECONDS each, with the arguments CTest would give it (dictionary,
seeds, limits). The corpus each target grows stays in the build folder; crash,
leak, timeout and out-of-memory inputs go to <build>/fuzz-findings/<target>/,
and each is minimised there. A summary gives per target the executions, the
executions per second, libFuzzer's final coverage (cov, ft) and the findings.

    tools/fuzz/fuzz_long.py BUILD_DIR SECONDS [TARGET_REGEX]
"""

import json
import os
import re
import subprocess
import sys
from pathlib import Path


def fuzz_tests(build, pattern):
    shown = subprocess.run(["ctest", "--test-dir", str(build), "-R", pattern, "--show-only=json-v1"],
                           check=True, capture_output=True, text=True).stdout
    return [(t["name"], t["command"]) for t in json.loads(shown).get("tests", []) if t.get("command")]


def final_stats(log):
    stats = {"runs": "?", "exec/s": "?", "cov": "?", "ft": "?"}
    for line in log.splitlines():
        if m := re.match(r"stat::number_of_executed_units:\s*(\d+)", line):
            stats["runs"] = m.group(1)
        elif m := re.match(r"stat::average_exec_per_sec:\s*(\d+)", line):
            stats["exec/s"] = m.group(1)
        elif m := re.search(r"\bcov: (\d+) ft: (\d+)", line):
            stats["cov"], stats["ft"] = m.group(1), m.group(2)
    return stats


def minimise(command, finding):
    # The first word is the target; only its limits matter when minimising.
    limits = [a for a in command[1:] if a.startswith(("-max_len=", "-timeout=", "-rss_limit_mb="))]
    smaller = finding.with_name(finding.name + ".min")
    subprocess.run([command[0], *limits, "-minimize_crash=1", "-max_total_time=120",
                    f"-exact_artifact_path={smaller}", str(finding)],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return smaller if smaller.exists() else finding


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    build, seconds = Path(sys.argv[1]).resolve(), int(sys.argv[2])
    pattern = "^fuzz_(%s)$" % sys.argv[3] if len(sys.argv) > 3 else "^fuzz_"
    tests = fuzz_tests(build, pattern)
    if not tests:
        sys.exit(f"no fuzz targets in {build}: configure it with clang and build fuzz_all first")
    rows, found = [], []
    for name, command in tests:
        if not Path(command[0]).exists():
            print(f"== {name}: not built, skipped", flush=True)
            continue
        findings = build / "fuzz-findings" / name
        findings.mkdir(parents=True, exist_ok=True)
        earlier = set(findings.iterdir())
        args = [re.sub(r"^-max_total_time=\d+$", f"-max_total_time={seconds}", a) for a in command]
        if not any(not a.startswith("-") for a in args[1:]):
            # A target whose test run keeps no corpus grows one here.
            grown = build / "fuzz-corpora" / name
            grown.mkdir(parents=True, exist_ok=True)
            args.append(str(grown))
        args.insert(1, f"-artifact_prefix={findings}/")
        print(f"== {name}: {seconds} s", flush=True)
        log = subprocess.run(args, capture_output=True, text=True, errors="replace").stderr
        (build / "fuzz-findings" / f"{name}.log").write_text(log)
        stats = final_stats(log)
        # Only this run's findings; those of earlier runs stay for reference.
        crashes = sorted(p for p in set(findings.iterdir()) - earlier
                         if re.match(r"(crash|leak|timeout|oom|slow-unit)-[0-9a-f]+$", p.name))
        for crash in crashes:
            found.append((name, command[0], minimise(command, crash)))
        rows.append((name, stats, len(crashes)))

    print(f"\n{'target':<22}{'runs':>12}{'exec/s':>9}{'cov':>8}{'ft':>8}{'findings':>10}")
    for name, s, n in rows:
        print(f"{name:<22}{s['runs']:>12}{s['exec/s']:>9}{s['cov']:>8}{s['ft']:>8}{n:>10}")
    print(f"\nCorpora grown: {build}/tools/fuzz/*-corpus and {build}/fuzz-corpora/; logs: {build}/fuzz-findings/")
    for name, program, finding in found:
        print(f"finding of {name}: {finding}\n  reproduce: {program} {finding}\n"
              f"  once fixed, keep it among the target's seeds in tools/fuzz/ so every test run replays it")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
