#!/usr/bin/env bash
# The whole game for one level with sound on, for a ThreadSanitizer build: the
# mixer's output thread renders while the game thread starts and stops sounds.
# Fails on any ThreadSanitizer report of any process of the run, when the
# level does not start, or when the recording is silent (then the output
# thread never mixed anything and the run proved nothing).
#
# Usage: sound_thread_run.sh PROGRAM RESOURCES WORK_FOLDER
set -euo pipefail
program=$1 resources=$2 work=$3

rm -rf "$work"
mkdir -p "$work/tree/bin"
cp "$program" "$work/tree/bin/karrowen"
cp -r "$resources" "$work/tree/resources"
rm -f "$work/tree/resources/scores.properties"
# Option 0 of the sound group switches sound on.
sed -i -E 's/^(soundEffect=.*selected:)[0-9]+/\10/' "$work/tree/resources/gsettings.properties"

# Every process of the run writes to the pipe, which ends with the last one.
cd "$work"
TSAN_OPTIONS="${TSAN_OPTIONS:-} halt_on_error=0" timeout 300 tree/bin/karrowen --headless \
    --instance="e2e-sound-thread-$$" --seed=5 --autoplay --stop-at-level=2 --exit-after=8000 \
    --screen=240x320 --frame-ms=100 --audio=wav:"$work/sound.wav" -- ARG: 2>&1 | cat > run.log

fail() { echo "sound_thread_run: $*" >&2; cat run.log >&2; exit 1; }
grep -q 'WARNING: ThreadSanitizer' run.log && fail "ThreadSanitizer reported a race"
grep -q 'karrowen: level 1 started' run.log || fail "the level did not start"

# The loudest 8- or 16-bit sample of the recording's data chunk.
loudest=$(od -An -v -tu1 -w1 -j44 "$work/sound.wav" | awk -v bits="$(od -An -tu2 -j34 -N2 "$work/sound.wav")" '
    bits == 8 { v = $1 - 128; if (v < 0) v = -v; if (v > m) m = v; next }
    { if (NR % 2) { lo = $1; next } v = $1 * 256 + lo; if (v >= 32768) v -= 65536; if (v < 0) v = -v; if (v > m) m = v }
    END { print m + 0 }')
(( loudest > 0 )) || fail "the recording is silent: the output thread mixed nothing"
echo "sound_thread_run: one level with sound, no race reported (loudest sample $loudest)"
