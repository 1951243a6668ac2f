#!/usr/bin/env bash
# Soak run: the built-in player plays LEVELS levels headless through the
# relaunch chain, in several chains that start at levels spread from 1 to
# MAX_START, while every process of a chain is watched. It fails when
#   - a process ends with a non-zero status or by a signal,
#   - a chain stops without reaching its last level or the introduction that
#     follows a game over (a level did not start),
#   - a process's memory grows while it plays, or a level's peak exceeds the
#     previous level's peak by more than the maze growth explains (see BOUNDS),
#   - a process usually holds more open descriptors than the first of its
#     chain (descriptors leaking across the relaunch), or
#   - temporary copies are left behind: the private temporary folder or its
#     per-process subfolders, a socket of the instance channel, or a *.tmp or
#     half-written "*.~*" file beside the resources.
# It prints one row per process with its memory figures.
#
# Usage: scripts/soak.sh [BUILD_FOLDER]   (default: build)
# Environment: LEVELS (100), MAX_START (60), CHAIN (10 levels per chain at most),
# KEEP=1 keeps the work folder.
set -euo pipefail

BUILD=${1:-build}
LEVELS=${LEVELS:-100}
MAX_START=${MAX_START:-60}
CHAIN=${CHAIN:-10}
PROGRAM=$BUILD/bin/karrowen
[[ -x $PROGRAM && -d $BUILD/resources ]] || { echo "soak: build $PROGRAM and its resources first" >&2; exit 2; }

# BOUNDS (kB). Measured with 240x320 frames: a level settles at 15.8 to 17.9
# MB resident; the only rise after loading, about 1.1 MB, is in the process
# that ends in a game over and loads the score list with its keyboard; peaks
# of neighbouring levels differ by under 1.5 MB.
# - GROWTH_KB: how much a process's resident size may rise between a third
#   into its life, when the level has loaded, and its end: the score list's
#   1.1 MB with room for allocator slack. A level of several hundred frames
#   that leaked even a few kB a frame would pass it.
# - STEP_KB: how much one level's peak may exceed the previous level's peak in
#   a chain. The maze grows by two cells a side every four levels (up to 29 x
#   29) and the level folders' pictures differ; a level that kept what its
#   predecessor loaded, or loaded its pictures twice, costs more.
GROWTH_KB=${GROWTH_KB:-2048}
STEP_KB=${STEP_KB:-3072}

WORK=$(mktemp -d "${TMPDIR:-/tmp}/karrowen-soak.XXXXXX")
cleanup() { [[ ${KEEP:-0} == 1 ]] && echo "soak: work folder kept: $WORK" || rm -rf "$WORK"; }
trap cleanup EXIT

# A tree of its own, so the score list and settings written by the run touch
# no build; a runtime folder of its own, so what the processes leave in their
# private temporary folder and channel folder can be checked afterwards.
mkdir -p "$WORK/tree/bin" "$WORK/runtime" "$WORK/logs"
chmod 700 "$WORK/runtime"
cp "$PROGRAM" "$WORK/tree/bin/karrowen"
cp -r "$BUILD/resources" "$WORK/tree/resources"
rm -f "$WORK/tree/resources/scores.properties"
# The level folders and character pictures go into resources.zip, so that
# every level extracts members into the temporary folder and deletes them.
zipped=0
if command -v zip >/dev/null; then
    (cd "$WORK/tree/resources" && zip -qr resources.zip Levels characters && rm -r Levels characters)
    zipped=1
else
    echo "soak: no zip program: resources stay in folders and no member is extracted" >&2
fi

# Runs one command as a child subreaper, so that every process of the relaunch
# chain is reaped here with its exit status, and samples each process of the
# chain every 20 ms: VmRSS and VmHWM from /proc/PID/status and the number of
# entries of /proc/PID/fd. One line per process on standard output:
#   pid status settled_rss_kb last_rss_kb hwm_kb usual_fds max_fds samples
#   samples_with_a_private_temporary_folder argument
# where the settled size is the one a third into the process's life (the
# level has loaded by then: loading takes a small part of a level), and the
# usual descriptor count the one seen most often (files opened for a moment
# while loading do not count; descriptors inherited from the predecessor do).
WATCH='
use strict; use POSIX ":sys_wait_h";
my %prctl = (x86_64 => 157, aarch64 => 167, i686 => 172, armv7l => 172, riscv64 => 167);
my ($arch) = (POSIX::uname())[4];
syscall($prctl{$arch} // 157, 36, 1, 0, 0, 0) == 0 or die "soak: cannot become a subreaper\n";
my $first = fork() // die;
if ($first == 0) { exec @ARGV or die "soak: $ARGV[0]: $!\n"; }
my (%known, %stat, @order);
sub track { my $p = shift; return if $known{$p}; $known{$p} = 1; push @order, $p;
  $stat{$p} = {status => "running", trace => [], rss => 0, hwm => 0, fdn => {}, fds => 0, n => 0, tmp => 0, arg => "?", cl => ""}; }
sub slurp { open(my $f, "<", $_[0]) or return ""; local $/; return <$f> // ""; }
my $self = slurp("/proc/$$/cmdline");
# Until a relaunched process has called exec it still shares its parent'"'"'s
# memory and command line (posix_spawn), so such samples are the parent'"'"'s.
sub started { my ($p, $cl) = @_; my $pp = ppid_of($p);
  return length $cl && $cl ne ($pp == $$ ? $self : $stat{$pp} ? $stat{$pp}{cl} : ""); }
sub argument { my ($p, $cl) = @_; my $s = $stat{$p}; $s->{cl} = $cl;
  my ($a) = grep { /^ARG:/ } split /\0/, $cl; $s->{arg} = $a // "-"; }
sub ppid_of { open(my $f, "<", "/proc/$_[0]/stat") or return -1; my $s = <$f>; $s =~ s/^.*\)\s+\S+\s+//; return (split / /, $s)[0]; }
sub sample { my $p = shift; my $s = $stat{$p}; my $cl = slurp("/proc/$p/cmdline");
  return unless started($p, $cl); argument($p, $cl);
  open(my $f, "<", "/proc/$p/status") or return; my ($rss, $hwm) = (0, 0);
  while (<$f>) { $rss = $1 if /^VmRSS:\s+(\d+)/; $hwm = $1 if /^VmHWM:\s+(\d+)/; }
  return unless $rss;
  opendir(my $d, "/proc/$p/fd") or return; my $fds = grep { !/^\./ } readdir $d;
  $s->{n}++; push @{$s->{trace}}, $rss; $s->{rss} = $rss; $s->{tmp}++ if -d "$ENV{XDG_RUNTIME_DIR}/Vendelsoft.tmp/$p";
  $s->{hwm} = $hwm if $hwm > $s->{hwm}; $s->{fdn}{$fds}++; $s->{fds} = $fds if $fds > $s->{fds}; }
track($first);
while (1) {
  while ((my $p = waitpid(-1, WNOHANG)) > 0) { track($p);
    $stat{$p}{status} = WIFEXITED($?) ? WEXITSTATUS($?) : "signal" . WTERMSIG($?); }
  opendir(my $d, "/proc") or die; for my $p (grep { /^\d+$/ } readdir $d) {
    track($p) if !$known{$p} && ($known{ppid_of($p)} || ppid_of($p) == $$); }
  my @live = grep { $stat{$_}{status} eq "running" } @order;
  last unless @live;
  sample($_) for @live;
  select(undef, undef, undef, 0.02);
}
for my $p (@order) { my $s = $stat{$p}; my @t = @{$s->{trace}}; my %f = %{$s->{fdn}};
  my ($usual) = sort { $f{$b} <=> $f{$a} || $a <=> $b } keys %f;
  print join(" ", $p, $s->{status}, @t ? $t[int(@t / 3)] : 0, $s->{rss}, $s->{hwm}, $usual // -1, $s->{fds}, $s->{n}, $s->{tmp}, $s->{arg}), "\n"; }
'

failures=0
fail() { echo "soak: FAIL: $*" >&2; failures=$((failures + 1)); }

# Start levels spread evenly over 1 ... MAX_START, taken in turn until LEVELS
# levels have started. The player clears the early levels; later ones, with
# more and faster ghosts, usually end in a game over, the score list and the
# introduction, which exercises that road as well.
STARTS=(1 31 8 38 15 45 22 52 60 5 35 12 42 19 49 26 56 3 28 10 40 17 47 24 54)
played=0
chain=0
: > "$WORK/records"
while (( played < LEVELS )); do
    start=${STARTS[$((chain % ${#STARTS[@]}))]}
    (( start > MAX_START )) && start=$(( (start - 1) % MAX_START + 1 ))
    want=$(( LEVELS - played < CHAIN ? LEVELS - played : CHAIN ))
    stop=$(( start + want ))
    log="$WORK/logs/chain$chain.log"
    scores="$WORK/tree/resources/scores.properties"
    before=$(stat -c %y "$scores" 2>/dev/null || echo none)
    ( cd "$WORK/logs" && XDG_RUNTIME_DIR="$WORK/runtime" XDG_DATA_HOME="$WORK/data" \
        timeout 600 perl -e "$WATCH" "$WORK/tree/bin/karrowen" --headless --instance="e-soak-$$-$chain" \
        --seed=$((chain + 1)) --autoplay --stop-at-level=$stop --screen=240x320 --frame-ms=100 \
        -- "ARG:Level:$start,Score:0,Lifes:3" 2>"$log" ) > "$WORK/chain.records" || fail "chain $chain: the watcher ended with $?"
    sed "s/^/$chain /" "$WORK/chain.records" >> "$WORK/records"

    started=$(grep -c 'karrowen: level [0-9]* started' "$log" || true)
    last=$(grep -o 'karrowen: level [0-9]* started' "$log" | tail -n 1 | grep -o '[0-9]*' || echo 0)
    # Every process but the one that meets --stop-at-level plays its level.
    played=$(( played + (last == stop ? started - 1 : started) ))
    if (( started == 0 )); then
        fail "chain $chain (from level $start): no level started"; sed 's/^/    /' "$log" >&2
    elif (( last != stop )); then
        # A game over: the score list was written, and one more process (the
        # introduction, which ends the built-in player's run) followed the level.
        processes=$(wc -l < "$WORK/chain.records")
        after=$(stat -c %y "$scores" 2>/dev/null || echo none)
        if [[ $after == "$before" ]] || (( processes != started + 1 )) ||
           tail -n 1 "$WORK/chain.records" | grep -q ' ARG:Level:'; then
            fail "chain $chain (from level $start): ended at level $last without a game over"; tail -n 5 "$log" >&2
        fi
    fi
    while read -r pid status rest; do
        [[ $status == 0 ]] || fail "chain $chain: process $pid ($(echo "$rest" | awk '{print $NF}')) ended with $status"
    done < "$WORK/chain.records"
    chain=$((chain + 1))
done

echo
echo "Soak: $played levels in $chain chains (MB: resident a third in, at the end, peak; descriptors: usual/highest)"
awk -v growth="$GROWTH_KB" -v step="$STEP_KB" -v zipped="$zipped" '
function level_of(arg) { return match(arg, /Level:[0-9]+/) ? substr(arg, RSTART + 6, RLENGTH - 6) : arg }
BEGIN { printf "%5s %8s %-10s %7s %7s %7s %9s %8s\n", "chain", "pid", "level", "rss0", "rss", "peak", "fds", "samples" }
{
    chain = $1; pid = $2; rss0 = $4; rss = $5; hwm = $6; fd0 = $7; fds = $8; n = $9; lv = level_of($11); tmp += $10
    printf "%5d %8d %-10s %7.1f %7.1f %7.1f %4d/%-4d %8d\n", chain, pid, lv, rss0 / 1024, rss / 1024, hwm / 1024, fd0, fds, n
    if (n >= 5 && !(chain in firstFds)) firstFds[chain] = fd0
    else if (n >= 5 && fd0 > firstFds[chain]) { printf "soak: FAIL: chain %d: process %d usually holds %d descriptors, the first %d\n", chain, pid, fd0, firstFds[chain] > "/dev/stderr"; bad++ }
    if (n >= 15 && rss - rss0 > growth) { printf "soak: FAIL: process %d grew by %d kB while it ran\n", pid, rss - rss0 > "/dev/stderr"; bad++ }
    if (lv ~ /^[0-9]+$/ && (chain in lastPeak) && hwm - lastPeak[chain] > step) { printf "soak: FAIL: level %s peaks %d kB above the level before it\n", lv, hwm - lastPeak[chain] > "/dev/stderr"; bad++ }
    if (lv ~ /^[0-9]+$/) lastPeak[chain] = hwm
    peak = hwm > peak ? hwm : peak; if (n >= 15 && rss - rss0 > grew) grew = rss - rss0
}
END {
    printf "highest peak %.1f MB; largest growth while running %d kB\n", peak / 1024, grew
    if (zipped && tmp == 0) { print "soak: FAIL: no process was seen with its private temporary folder" > "/dev/stderr"; bad++ }
    exit bad > 0
}
' "$WORK/records" || failures=$((failures + 1))

# What the processes must have taken away with them.
leftover=$(find "$WORK/runtime" -mindepth 1 \( -path '*Vendelsoft.tmp*' -o -type s \) 2>/dev/null || true)
[[ -z $leftover ]] || fail "left in the runtime folder: $leftover"
leftover=$(find "$WORK/tree" \( -name '*.tmp' -o -name '*.~*' \) 2>/dev/null || true)
[[ -z $leftover ]] || fail "temporary files beside the resources: $leftover"

if (( failures > 0 )); then echo "soak: $failures failure(s)" >&2; exit 1; fi
echo "soak: passed"
