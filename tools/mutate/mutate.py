#!/usr/bin/env python3
"""Mutation testing for one module: how many small faults do its tests catch?

Each mutant is one small change to one source line (an operator, a constant,
a negated condition, a deleted statement). The mutated copy is compiled in the
mutation build folder, put into a copy of its library, the module's test
binary is linked with it and run, and the mutant counts as killed when the
tests fail, crash or hang. Neither the source tree nor the build's objects
are written: people building from the tree never see a mutant, and every
mutant meets the same build of the rest of the program.

Usage: mutate.py MODULE[,MODULE...]|all [--sample N] [--seed S] [--filter GTEST_FILTER]
                        [--ctest REGEX] [--build DIR] [--list] [--only FILE:LINE]
                        [--keep-killed] [--by-test]

--by-test runs every selected test on every mutant and ends with a table of
the tests: how many mutants each kills and how many no other test kills, and
a set of tests that could all go without losing a kill of the sample. Each
killed mutant's line names its killers. A sample is only a sample, so read a
test before it goes.
"""

import argparse
import hashlib
import json
import os
import random
import re
import shlex
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# Builds and test runs yield to other work, once: a run started under `nice`
# (as `make mutate` starts it) is not lowered again.
NICE = [] if os.nice(0) >= 10 else ["nice", "-n", "10"]
EQUIVALENTS = Path(__file__).resolve().parent / "equivalent.txt"

# A module: its source files, the test target that covers them and the tests
# worth running (a gtest filter; "*" runs the whole binary).
MODULES = {
    "data": {
        "files": ["src/data/property_file.cpp", "src/data/string_map.cpp", "src/data/resource.cpp",
                  "src/data/resource_archive.cpp", "src/data/language_table.cpp", "src/data/text_helpers.cpp"],
        "target": "karrowen_data_tests",
        "filter": "*",
    },
    "gif": {
        "files": ["src/scene/gif_decoder.cpp"],
        "target": "karrowen_scene_tests",
        "filter": "*Gif*:*Golden2D*",
    },
    "modplayer": {
        "files": ["src/sound/mod_player.cpp"],
        "target": "karrowen_sound_tests",
        "filter": "*ModulePlayer*:*ModulePeriods*:*ModSound*",
    },
    "spanfill": {
        "files": ["src/render3d/span_fill.cpp", "src/render3d/triangle_setup.cpp",
                  "src/render3d/subdivision_drawer.cpp"],
        "target": "karrowen_render3d_tests",
        "filter": "*RendererTest*:*GoldenTest*:Chip*:SpanFill*",
    },
    "window": {
        "files": ["src/platform/window.cpp"],
        "target": "karrowen_platform_tests",
        "filter": "*WindowTest*:*FullScreenKeys*:*PresentDirect*:*DeviceContext*:*Fade*",
    },
    "game": {
        "files": ["src/game/game_level.cpp", "src/game/actor.cpp", "src/game/maze.cpp", "src/game/items.cpp",
                  "src/game/score_list.cpp", "src/game/autoplayer.cpp"],
        "target": "karrowen_game_tests",
        "filter": "GameLevelTest.*:Maze.*:GameRandom.*:ScoreList.*:ItemLayout.*:AutoplayerTest.*:*/AutoplayerCorridor.*",
    },
    # How the rules are steered and looked at: the keys, the draws every rule
    # depends on, the camera and the backdrop.
    "gameview": {
        "files": ["src/game/game_view.cpp", "src/game/key_steering.cpp", "src/game/game_random.cpp"],
        "target": "karrowen_game_tests",
        "filter": "GameView.*:GameLevelTest.*:Maze.*:GameRandom.*:ItemLayout.*:AutoplayerTest.*",
    },
    # The level as the player sees it is judged by the stored pictures of the
    # seeded games: the mutant goes into the program, which the end-to-end
    # tests run.
    "levelview": {
        "files": ["src/game/level_view.cpp", "src/game/game_view.cpp"],
        "target": "karrowen",
        "tests": "karrowen_e2e_game_tests",
        "filter": "GameRuns.ASeededRunPrintsAndShowsTheGoldenGame:GameRuns.TheEnhancedStyle*:GameRuns.TheSwaying*",
    },
    "render3d": {
        "files": ["src/render3d/software_renderer.cpp"],
        "target": "karrowen_render3d_tests",
        "filter": "*",
    },
    "mixer": {
        "files": ["src/sound/sound_mixer.cpp"],
        "target": "karrowen_sound_tests",
        "filter": "*",
    },
    # The rest of the sound folder (wave files, ADPCM, the store, the output
    # driver) and the audio devices whose only tests are the sound tests.
    "wave": {
        "files": ["src/sound/wave_sound.cpp", "src/sound/adpcm_decoder.cpp", "src/sound/wave_out_driver.cpp",
                  "src/sound/voice.cpp", "src/sound/mod_sound.cpp", "src/sound/sound_store.cpp",
                  "src/sound/sound_template.cpp", "src/sound/period_table.cpp",
                  "src/platform/host/audio_device.cpp", "src/platform/host/headless/null_audio.cpp",
                  "src/platform/host/headless/wav_audio.cpp"],
        "target": "karrowen_sound_tests",
        "filter": "*",
    },
    "canvas": {
        "files": ["src/scene/canvas.cpp", "src/scene/template_loader.cpp"],
        "target": "karrowen_scene_tests",
        "filter": "*",
    },
    "hostinput": {
        "files": ["src/platform/host/input_script.cpp", "src/platform/host/host_options.cpp"],
        "target": "karrowen_platform_tests",
        "filter": "*",
    },
}


@dataclass
class Mutant:
    path: str  # relative to the repository
    line: int  # 1-based
    original: str  # the whole original line
    mutated: str  # the whole mutated line ("" for a deleted statement)
    kind: str
    after: str = ""  # the code line before, trimmed: tells repeated lines apart

    def key(self):
        return (self.path, self.original.strip(), self.mutated.strip())

    def describe(self):
        if not self.mutated.strip():
            return f"{self.path}:{self.line}: delete `{self.original.strip()}`"
        return f"{self.path}:{self.line}: `{self.original.strip()}` -> `{self.mutated.strip()}`"


# ---------------------------------------------------------------- scanning

def mask_code(lines):
    """Per line, the text with comments, strings and character literals
    blanked to spaces (same length), so that operators found in the mask are
    code. Preprocessor lines come back blank."""
    masked = []
    in_block = False
    for raw in lines:
        out = []
        i = 0
        n = len(raw)
        if not in_block and raw.lstrip().startswith("#"):
            masked.append(" " * n)
            continue
        while i < n:
            if in_block:
                end = raw.find("*/", i)
                if end < 0:
                    out.append(" " * (n - i))
                    i = n
                else:
                    out.append(" " * (end + 2 - i))
                    i = end + 2
                    in_block = False
                continue
            c = raw[i]
            if raw.startswith("//", i):
                out.append(" " * (n - i))
                break
            if raw.startswith("/*", i):
                in_block = True
                out.append("  ")
                i += 2
                continue
            if c in "\"'":
                # A digit separator (1'000) is not a character literal.
                if c == "'" and 0 < i < n - 1 and raw[i - 1].isdigit() and raw[i + 1].isalnum():
                    out.append(c)
                    i += 1
                    continue
                j = i + 1
                while j < n and raw[j] != c:
                    j += 2 if raw[j] == "\\" else 1
                j = min(j + 1, n)
                out.append(" " * (j - i))
                i = j
                continue
            out.append(c)
            i += 1
        masked.append("".join(out))
    return masked


# Binary operators need spaces on both sides (the house format): that keeps
# template brackets, pointers, references and unary signs out.
SWAPS = [
    (" + ", [" - "], "arith"), (" - ", [" + "], "arith"), (" * ", [" / "], "arith"), (" / ", [" * "], "arith"),
    (" % ", [" * "], "arith"), (" << ", [" >> "], "arith"), (" >> ", [" << "], "arith"),
    (" & ", [" | "], "arith"), (" | ", [" & "], "arith"), (" ^ ", [" | "], "arith"),
    (" += ", [" -= "], "arith"), (" -= ", [" += "], "arith"), (" |= ", [" &= "], "arith"),
    (" < ", [" <= "], "rel"), (" <= ", [" < "], "rel"), (" > ", [" >= "], "rel"), (" >= ", [" > "], "rel"),
    (" == ", [" != "], "rel"), (" != ", [" == "], "rel"),
    (" && ", [" || "], "logic"), (" || ", [" && "], "logic"),
]
INCDEC = re.compile(r"\+\+|--")
NUMBER = re.compile(r"(?<![\w.])(0[xX][0-9a-fA-F]+|\d+\.\d*|\d*\.\d+|\d+)([uUlLfF]*)(?![\w.])")
CONDITION = re.compile(r"\b(if|while)\s*\(")
DECLARATION = re.compile(r"^(const\s+|static\s+|constexpr\s+)*[A-Za-z_][\w:]*(<[^;=]*>)?[\s*&]+[A-Za-z_]\w*\s*([=({\[;,]|$)")
NOT_DELETABLE = re.compile(r"^(return|case|default|using|typedef|template|namespace|struct|class|enum|public|"
                           r"private|protected|friend|static_assert|else|do|goto)\b")


def bump(number, suffix):
    """The constant changes: 0 <-> 1, any other n -> n + 1 (floats too)."""
    if number.lower().startswith("0x"):
        value = int(number, 16)
        return [hex(value + 1 if value > 1 else 1 - value) + suffix]
    if "." in number:
        value = float(number)
        return [repr(value + 1.0) + suffix if "f" in suffix.lower() else repr(value + 1.0)]
    value = int(number)
    if value == 0:
        return ["1" + suffix]
    if value == 1:
        return ["0" + suffix, "2" + suffix]
    return [str(value + 1) + suffix]


def matching_paren(text, open_index):
    depth = 0
    for i in range(open_index, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def previous_code(masked, index):
    for j in range(index - 1, -1, -1):
        if masked[j].strip():
            return masked[j].rstrip()
    return ""


def enumerate_mutants(path, lines):
    masked = mask_code(lines)
    mutants = []
    for index, (raw, code) in enumerate(zip(lines, masked)):
        stripped = code.strip()
        if not stripped or stripped.startswith("template"):
            continue

        def add(start, end, replacement, kind):
            mutated = raw[:start] + replacement + raw[end:]
            mutants.append(Mutant(path, index + 1, raw, mutated, kind))

        for token, replacements, kind in SWAPS:
            start = code.find(token)
            while start >= 0:
                # " < " inside " << " or " <= " is another token.
                for replacement in replacements:
                    add(start, start + len(token), replacement, kind)
                start = code.find(token, start + 1)
        for m in INCDEC.finditer(code):
            add(m.start(), m.end(), "--" if m.group() == "++" else "++", "arith")
        declaration = DECLARATION.match(stripped) or stripped.startswith(("using ", "static "))
        for m in NUMBER.finditer(code):
            # Array sizes and template arguments of declarations would only
            # change the layout; bit widths of fixed types are names.
            before, after = code[:m.start()], code[m.end():]
            if before.endswith(("int", "int8_", "int16_", "int32_", "int64_")) or after.startswith(">"):
                continue
            if declaration and before.endswith("[") and after.startswith("]"):
                continue
            for replacement in bump(m.group(1), m.group(2)):
                add(m.start(), m.end(), replacement, "const")
        for m in CONDITION.finditer(code):
            open_index = m.end() - 1
            close = matching_paren(code, open_index)
            if close < 0:
                continue
            inner = raw[open_index + 1:close]
            if inner.lstrip().startswith(("constexpr", "auto", "const ")) or ";" in inner:
                continue
            add(open_index + 1, close, f"!({inner})", "negate")
        prev = previous_code(masked, index)
        if (stripped.endswith(";") and stripped.count("(") == stripped.count(")") and
                stripped.count("{") == stripped.count("}") and not NOT_DELETABLE.match(stripped) and
                not DECLARATION.match(stripped) and prev.endswith((";", "{", "}", ":"))
                and not prev.endswith("::")):
            mutants.append(Mutant(path, index + 1, raw, "", "delete"))
    for m in mutants:
        m.after = next((lines[j].strip() for j in range(m.line - 2, -1, -1) if masked[j].strip()), "")
    return [m for m in mutants if m.mutated != m.original]


def compile_arguments(entry):
    """A compile_commands.json entry's command, without the dependency-file
    flags: neither a mutant nor a preprocessing run may touch the build's."""
    args = shlex.split(entry["command"]) if "command" in entry else list(entry["arguments"])
    kept, skip = [], 0
    for a in args:
        if skip:
            skip -= 1
        elif a in ("-MT", "-MF"):
            skip = 1
        elif a not in ("-MD", "-MMD"):
            kept.append(a)
    return kept


def compiled_lines(build, path):
    """The lines of `path` that the build compiles: those that leave tokens in
    its preprocessed text. A mutant in an `#if` branch this build leaves out
    (a scalar fallback beside SIMD, a web-only path) can meet no test here,
    and is no mutant of this build. None when the file cannot be preprocessed."""
    commands = json.loads((build / "compile_commands.json").read_text())
    source = str((ROOT / path).resolve())
    entry = next((c for c in commands if str(Path(c["file"]).resolve()) == source), None)
    if entry is None:
        return None
    args = compile_arguments(entry)
    output = args.index("-o")
    kept = [a for i, a in enumerate(args) if i not in (output, output + 1) and a != "-c"]
    r = subprocess.run(kept + ["-E"], cwd=entry["directory"], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL, text=True)
    if r.returncode != 0:
        return None
    lines, current, number = set(), None, 0
    marker = re.compile(r'# (\d+) "(.*)"')
    for out in r.stdout.split("\n"):
        m = marker.match(out)
        if m:
            number, current = int(m.group(1)), m.group(2)
            continue
        if out.strip() and current is not None and Path(entry["directory"], current).resolve() == Path(source):
            lines.add(number)
        number += 1
    return lines


# ---------------------------------------------------------------- equivalents

def load_equivalents():
    """Blocks of `file:`, `from:`, `to:` and `why:` lines, blank-separated.
    A deleted statement has an empty `to:`; an optional `after:` names the
    code line before, for a line that occurs more than once."""
    entries = {}
    if not EQUIVALENTS.exists():
        return entries
    block = {}
    for line in EQUIVALENTS.read_text().splitlines() + [""]:
        if line.startswith("#"):
            continue
        if not line.strip():
            if block:
                if not all(k in block for k in ("file", "from", "to", "why")) or not block["why"]:
                    sys.exit(f"{EQUIVALENTS}: incomplete entry {block}")
                entries.setdefault((block["file"], block["from"], block["to"]), []).append(
                    (block.get("after"), block["why"]))
                block = {}
            continue
        field, _, value = line.partition(":")
        block[field.strip()] = value.strip()
    return entries


# ---------------------------------------------------------------- building

class Runner:
    def __init__(self, build, target, filter_, ctest, timeout_factor=5.0, tests=None):
        self.build = build
        self.target = target  # what the mutant is linked into
        self.tests = tests or target  # the test binary that is run
        self.filter = filter_
        self.ctest = ctest
        self.timeout = None
        self.timeout_factor = timeout_factor
        self.workdir = build / "mutate"
        self.workdir.mkdir(exist_ok=True)
        # The tests' temporary files go here: a mutant that crashes a test
        # before its clean-up would otherwise leave them in /tmp.
        self.scratch = self.workdir / "tmp"
        self.environment = dict(os.environ, TMPDIR=str(self.scratch))
        self.archives = {}
        self.link = None
        commands = json.loads((build / "compile_commands.json").read_text())
        self.commands = {str(Path(c["file"]).resolve()): c for c in commands}

    def ninja(self):
        r = subprocess.run(NICE + ["ninja", "-C", str(self.build), "-j2", *dict.fromkeys([self.target, self.tests])],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        return r.returncode == 0, r.stdout

    def restore(self):
        """Puts the test binary built from the tree back in its place."""
        original = self.binary_path().with_name(self.target + ".original")
        if original.exists():
            os.replace(original, self.binary_path())

    def binary_path(self):
        return self.build / "bin" / self.target

    def link_command(self):
        """The test binary's link step as ninja runs it, without what follows it."""
        if self.link is None:
            r = subprocess.run(["ninja", "-C", str(self.build), "-t", "commands", self.target],
                               stdout=subprocess.PIPE, text=True, check=True)
            output = str(self.binary_path().relative_to(self.build))
            steps = [step for line in r.stdout.splitlines() for step in line.split(" && ")]
            self.link = next(shlex.split(step) for step in reversed(steps) if f"-o {output}" in step)
        return self.link

    def compile_mutant(self, source, text):
        """Compiles the mutated text and links a test binary with it, beside
        the build's own objects and archives, which stay as the tree built
        them. True when the mutant builds."""
        entry = self.commands[str((ROOT / source).resolve())]
        args = compile_arguments(entry)
        obj = Path(entry["directory"]) / args[args.index("-o") + 1]
        copy = self.workdir / Path(source).name
        copy.write_text(text)
        src_abs = str((ROOT / source).resolve())
        cleaned = [str(copy) if a in (src_abs, entry["file"]) else a for a in args]
        members = self.workdir / "members"
        members.mkdir(exist_ok=True)
        member = members / obj.name  # an archive member is replaced by its name
        cleaned[cleaned.index("-o") + 1] = str(member)
        # Quoted includes resolve from the original folder first.
        cleaned[1:1] = ["-iquote", str((ROOT / source).parent)]
        if not self.quiet_run(cleaned, entry["directory"]):
            return False
        link = list(self.link_command())
        for archive in self.users(obj):
            mutated = self.workdir / Path(archive).name
            shutil.copyfile(self.build / archive, mutated)
            if not self.quiet_run(["ar", "r", str(mutated), str(member)], self.build):
                return False
            link = [str(mutated) if a == archive else a for a in link]
        output = str(self.binary_path().relative_to(self.build))
        link[link.index("-o") + 1] = output + ".mutant"
        if shutil.which("ld.lld"):
            link.insert(1, "-fuse-ld=lld")  # much the quickest with debug information
        if not self.quiet_run(link, self.build):
            return False
        original = self.binary_path().with_name(self.target + ".original")
        if not original.exists():
            os.replace(self.binary_path(), original)
        os.replace(self.build / (output + ".mutant"), self.binary_path())
        return True

    def quiet_run(self, command, cwd):
        return subprocess.run(NICE + command, cwd=cwd, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    def users(self, obj):
        if obj not in self.archives:
            r = subprocess.run(["ninja", "-C", str(self.build), "-t", "query", str(obj.relative_to(self.build))],
                               stdout=subprocess.PIPE, text=True, check=True)
            outputs = r.stdout.split("outputs:")[-1].split()
            self.archives[obj] = [o for o in outputs if o.endswith(".a")]
        return self.archives[obj]

    def binary(self):
        return self.build / "bin" / self.tests

    def fresh_scratch(self):
        shutil.rmtree(self.scratch, ignore_errors=True)
        self.scratch.mkdir()

    def list_tests(self):
        """How many tests the filter selects (None under ctest)."""
        if self.ctest:
            return None
        r = subprocess.run([str(self.binary()), f"--gtest_filter={self.filter}", "--gtest_list_tests"],
                           stdout=subprocess.PIPE, text=True)
        return sum(1 for line in r.stdout.splitlines() if line.startswith("  "))

    def failing_tests(self, timeout):
        """The tests that fail on the binary in place, by test name (a
        parameterised test's instances under one name). A test the binary
        dies or hangs in counts as failing, and the rest run without it."""
        failed = set()
        excluded = []
        for _ in range(5):
            filter_ = self.filter + ("" if not excluded else ("-" if "-" not in self.filter else ":") + ":".join(excluded))
            self.fresh_scratch()
            proc = subprocess.Popen([str(self.binary()), f"--gtest_filter={filter_}"], stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, text=True, errors="replace", start_new_session=True,
                                    cwd=self.build, env=self.environment)
            try:
                output, _ = proc.communicate(timeout=timeout)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                output, _ = proc.communicate()
            finally:
                # An interrupted run must not leave a hanging mutant behind in its own session.
                if proc.poll() is None:
                    os.killpg(proc.pid, signal.SIGKILL)
                    proc.wait()
            running = None
            for line in output.splitlines():
                if m := re.match(r"\[ RUN      \] (\S+)", line):
                    running = m.group(1)
                elif m := re.match(r"\[  FAILED  \] ([^ ,]+)(,| \()", line):
                    failed.add(m.group(1))
                    running = None
                elif line.startswith("[       OK ]"):
                    running = None
            if running is None:
                if proc.returncode != 0 and not failed:
                    failed.add("(the whole binary)")
                break
            failed.add(running)
            excluded.append(running)
        return {re.sub(r"/[^/.]+$", "", re.sub(r"^[^/.]+/", "", name)) for name in failed}

    def run_tests(self, timeout):
        if self.ctest:
            cmd = ["ctest", "--test-dir", str(self.build), "-R", self.ctest, "--stop-on-failure", "-j1"]
        else:
            cmd = [str(self.binary()), f"--gtest_filter={self.filter}", "--gtest_fail_fast", "--gtest_brief=1"]
        self.fresh_scratch()
        start = time.monotonic()
        proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True, cwd=self.build, env=self.environment)
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return "timeout", time.monotonic() - start
        finally:
            if proc.poll() is None:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        return ("pass" if code == 0 else "fail"), time.monotonic() - start


def interrupt(signum, frame):
    raise KeyboardInterrupt


def main():
    signal.signal(signal.SIGTERM, interrupt)
    parser = argparse.ArgumentParser(description="Mutation testing of modules")
    parser.add_argument("modules", help="a module, several joined by commas, or `all`: " + ", ".join(MODULES))
    parser.add_argument("--sample", type=int, default=40, help="mutants per file")
    parser.add_argument("--seed", default="karrowen", help="seed of the per-file sample")
    parser.add_argument("--filter", help="gtest filter (default: the module's)")
    parser.add_argument("--ctest", help="run `ctest -R REGEX` instead of the binary")
    parser.add_argument("--build", default=str(ROOT / "build-mutate"),
                        help="the mutation build; made with AddressSanitizer and UBSan, so a mutant that reads out of"
                             " bounds, leaks or overflows is caught as the sanitizer build of `make test` would")
    parser.add_argument("--list", action="store_true", help="list the sample without building")
    parser.add_argument("--only", help="only mutants whose file:line contains this")
    parser.add_argument("--by-test", action="store_true", help="run every test on every mutant; a table of the tests")
    parser.add_argument("--keep-killed", action="store_true",
                        help="reuse earlier kills of the same mutant (sound only while tests are only added)")
    args = parser.parse_args()
    names = list(MODULES) if args.modules == "all" else args.modules.split(",")
    unknown = [n for n in names if n not in MODULES]
    if unknown:
        parser.error(f"unknown module {', '.join(unknown)}; choose from {', '.join(MODULES)} or all")

    results = []
    for name in names:
        totals, interrupted = run_module(name, args)
        if totals is not None:
            results.append((name, totals))
        if interrupted:
            print("interrupted: the figures cover the mutants run so far")
            break
    if len(results) > 1:
        print()
        print(f"seed {args.seed}, {args.sample} mutants a file")
        print(f"{'module':10} {'mutants':>7} {'not viable':>10} {'equivalent':>10} {'killed':>6} "
              f"{'survived':>8} {'share':>7}")
        for name, c in results:
            counted = c["killed"] + c["survived"]
            share = f"{100.0 * c['killed'] / counted:.1f} %" if counted else "n/a"
            print(f"{name:10} {c['mutants']:7} {c['not_viable']:10} {c['equivalent']:10} {c['killed']:6} "
                  f"{c['survived']:8} {share:>7}")
    return 130 if interrupted else 0


def run_module(name, args):
    """Runs one module's sample; returns its totals (None when there is
    nothing to run) and whether the run was interrupted."""
    module = MODULES[name]
    equivalents = load_equivalents()
    build = Path(args.build).resolve()
    if not (build / "compile_commands.json").exists():
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja", "-Wno-dev",
                        "-DCMAKE_BUILD_TYPE=Debug", "-DKARROWEN_SANITIZE=ON"], check=True, stdout=subprocess.DEVNULL)
    samples = {}
    for path in module["files"]:
        lines = (ROOT / path).read_text().split("\n")
        candidates = enumerate_mutants(path, lines)
        compiled = compiled_lines(build, path)
        if compiled is None:
            print(f"{path}: cannot be preprocessed; its lines left out by `#if` are sampled too", file=sys.stderr)
        else:
            candidates = [m for m in candidates if m.line in compiled]
        keys = {m.key() for m in candidates}
        for stale in sorted(k for k in equivalents if k[0] == path and k not in keys):
            print(f"{EQUIVALENTS.name}: no mutant of {path} changes `{stale[1]}` to `{stale[2]}` any more",
                  file=sys.stderr)
        rng = random.Random(f"{args.seed}:{path}")
        chosen = rng.sample(candidates, min(args.sample, len(candidates)))
        chosen.sort(key=lambda m: (m.line, m.mutated))
        if args.only:
            chosen = [m for m in chosen if args.only in f"{m.path}:{m.line}"]
        samples[path] = (lines, chosen, len(candidates))

    if args.by_test and args.ctest:
        sys.exit("--by-test reads a test binary's output, not ctest's")
    if args.list:
        for path, (_, chosen, total) in samples.items():
            print(f"{path}: {len(chosen)} of {total}")
            for m in chosen:
                print(f"  [{m.kind}] {m.describe()}")
        return None, False

    runner = Runner(build, module["target"], args.filter or module["filter"], args.ctest, tests=module.get("tests"))
    runner.restore()
    ok, log = runner.ninja()
    if not ok:
        print(log)
        sys.exit("the unmutated build fails")
    listed = runner.list_tests()
    if listed == 0:
        sys.exit(f"no test matches {runner.filter}")
    status, seconds = runner.run_tests(timeout=600)
    if status != "pass":
        sys.exit("the unmutated tests fail: fix them first")
    timeout = max(10.0, seconds * runner.timeout_factor)
    print(f"{name}: {listed or 'the selected'} tests pass in {seconds:.1f} s; "
          f"a mutant is a hang after {timeout:.0f} s")

    # Outcomes by mutated text: a mutant that did not compile never will, and
    # a kill stands as long as no test is taken away.
    outcomes_file = runner.workdir / "outcomes.json"
    outcomes = json.loads(outcomes_file.read_text()) if outcomes_file.exists() else {}
    totals = dict(mutants=0, not_viable=0, killed=0, survived=0, equivalent=0)
    survivors = []
    kills, only = {}, {}  # by test, with --by-test
    killer_sets = []  # each killed mutant's killers, with --by-test
    interrupted = False
    try:
        for path, (lines, chosen, total) in samples.items():
            counts = dict(mutants=len(chosen), not_viable=0, killed=0, survived=0, equivalent=0)
            for m in chosen:
                if any(after in (None, m.after) for after, _ in equivalents.get(m.key(), [])):
                    counts["equivalent"] += 1
                    continue
                text = "\n".join(lines[:m.line - 1] + [m.mutated] + lines[m.line:])
                key = hashlib.sha1(f"{path}\n{text}".encode()).hexdigest()
                earlier = outcomes.get(key)
                if earlier == "not viable" or (earlier == "killed" and args.keep_killed and not args.by_test):
                    counts[earlier.replace(" ", "_")] += 1
                    print(f"  {earlier + ' (before)':14} {m.describe()}", flush=True)
                    continue
                compiled = runner.compile_mutant(path, text)
                if not compiled:
                    counts["not_viable"] += 1
                    outcome = "not viable"
                else:
                    if args.by_test:
                        killers = runner.failing_tests(timeout)
                        status = "fail" if killers else "pass"
                        for test in killers:
                            kills[test] = kills.get(test, 0) + 1
                            if len(killers) == 1:
                                only[test] = only.get(test, 0) + 1
                        if killers:
                            killer_sets.append(set(killers))
                    else:
                        status, _ = runner.run_tests(timeout)
                    runner.restore()
                    if status == "pass":
                        counts["survived"] += 1
                        survivors.append(m)
                        outcome = "SURVIVED"
                    else:
                        counts["killed"] += 1
                        outcome = "killed" + (" (hang)" if status == "timeout" else "")
                outcomes[key] = outcome.split(" (")[0]
                print(f"  {outcome:14} {m.describe()}", flush=True)
                if args.by_test and outcome.startswith("killed"):
                    print(f"{'':16}by {', '.join(sorted(killer_sets[-1]))}", flush=True)
            for k in totals:
                totals[k] += counts[k]
            print(summary_line(path + f" ({total} candidates)", counts), flush=True)
    except KeyboardInterrupt:
        interrupted = True
    finally:
        runner.restore()
        shutil.rmtree(runner.scratch, ignore_errors=True)
        outcomes_file.write_text(json.dumps(outcomes, indent=0, sort_keys=True))

    print()
    print(summary_line(f"module {name}", totals))
    if survivors:
        print("survivors:")
        for m in survivors:
            print(f"  {m.describe()}")
    if args.by_test:
        print("tests: mutants killed, of them killed by no other test")
        names = set(kills)
        if not runner.ctest:
            r = subprocess.run([str(runner.binary()), f"--gtest_filter={runner.filter}", "--gtest_list_tests"],
                               stdout=subprocess.PIPE, text=True)
            suite = ""
            for line in r.stdout.splitlines():
                if not line.startswith(" "):
                    suite = re.sub(r"^[^/.]+/", "", line.strip())
                else:
                    names.add(suite + re.sub(r"/[^/.]+$", "", line.split()[0]))
        for test in sorted(names, key=lambda n: (only.get(n, 0), kills.get(n, 0), n)):
            print(f"  {kills.get(test, 0):4} {only.get(test, 0):4}  {test}")
        spare = removable_together(names, killer_sets, kills)
        print("tests that can go together without losing a kill of this sample (weakest first):")
        for test in spare:
            print(f"  {test}")
    return totals, interrupted


def removable_together(tests, killer_sets, kills):
    """A set of tests whose removal leaves every killed mutant with a killer:
    the weakest (fewest `kills`) go first, and one goes only while each of its
    kills keeps another test. Tests with no kill in the sample head the list."""
    kept = set(tests)
    removed = []
    for test in sorted(tests, key=lambda t: (kills.get(t, 0), t)):
        if all(len(k & kept) > 1 for k in killer_sets if test in k):
            kept.discard(test)
            removed.append(test)
    return removed


def summary_line(name, c):
    counted = c["killed"] + c["survived"]
    share = f"{100.0 * c['killed'] / counted:.1f} %" if counted else "n/a"
    return (f"{name}: {c['mutants']} mutants, {c['not_viable']} not viable, {c['killed']} killed, "
            f"{c['survived']} survived, {c['equivalent']} equivalent; killed {share}")


if __name__ == "__main__":
    sys.exit(main())
