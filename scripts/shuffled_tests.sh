#!/bin/sh
# Every unit-test binary of a build once more, each in one process with its
# tests in a random order and with an empty temporary folder of its own: a
# test that depends on what ran before it, or that leaves files behind, fails
# here. The order's seed is printed with a failure, to run it again with
# --gtest_shuffle --gtest_random_seed=SEED.
#   scripts/shuffled_tests.sh BUILD_DIR [JOBS] [SEED]
set -u

if [ "${1:-}" = "--one" ]; then
    name=$(basename "$2") seed=$3
    binary=$(cd "$(dirname "$2")" && pwd)/$name
    # Open to others like /tmp: a test runs a peer as another user.
    folder=$(mktemp -d "${TMPDIR:-/tmp}/karrowen-shuffled-XXXXXX") && chmod 755 "$folder" || exit 1
    log=$folder.log
    # The folder CTest runs the binary in: tests/<subject> for karrowen_<subject>_tests.
    subject=${name#karrowen_}
    subject=${subject%_tests}
    cd "$(dirname "$binary")/../tests/$subject" || exit 1
    TMPDIR=$folder TEST_TMPDIR=$folder "$binary" --gtest_shuffle --gtest_random_seed="$seed" --gtest_brief=1 >"$log" 2>&1
    status=$?
    left=$(find "$folder" -mindepth 1 -maxdepth 2 | head -5)
    if [ $status -ne 0 ]; then
        cat "$log"
        echo "$name failed with its tests shuffled by seed $seed"
    elif [ -n "$left" ]; then
        echo "$name left files in its temporary folder:"
        echo "$left"
        status=1
    else
        echo "$name passed with its tests shuffled by seed $seed"
    fi
    rm -rf "$folder" "$log"
    exit $status
fi

build=$1
jobs=${2:-2}
seed=${3:-$(( $(date +%s) % 99999 + 1 ))}
ls "$build"/bin/karrowen_*_tests | grep -v '_e2e_' |
    xargs -P "$jobs" -I{} sh "$0" --one {} "$seed"
