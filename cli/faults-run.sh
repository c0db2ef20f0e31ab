#!/bin/sh
# The velkora program under faults, against the fixture server (run inside
# tools/with-fixture with VELKORA_FIXTURE_ARGS generating 2024-03-26..27):
#   faults-run.sh OUTDIR VELKORA [EMULATOR [STRIDE]]
# 1. kill -9 at every STRIDE-th write, truncation, rename or deletion (the
#    program's VELKORA_CRASH_AT points), then a normal run: the files must be
#    byte for byte those of an uninterrupted run;
# 2. (Linux) Ctrl-C at moments spread over a run, then a normal run: the same;
#    and Ctrl-C during a download that would take a minute ends the run at once;
# 3. a second run on the same output directory is refused while the first runs.
set -u
out=$1
velkora=$2
emulator=${3:-}
stride=${4:-1}
fail() { echo "faults: $*" >&2; exit 1; }

# The generated days are in March 2024; the service only has the last weeks' lists.
VELKORA_TODAY=20240328
export VELKORA_TODAY

rm -rf "$out"
mkdir -p "$out" || fail "cannot create $out"
# Under Wine, one wine server serves every run of the test: a server that ends
# between two runs (it does a few seconds after its last process) can race the
# start of the next run.
if [ -n "$emulator" ]; then
  wineserver -p && trap 'wineserver -k' EXIT
fi
native() { if [ -n "$emulator" ]; then winepath -w "$1" 2>/dev/null; else echo "$1"; fi; }
work=$out/home
home=$(native "$work") || fail "winepath"
v() { $emulator "$velkora" --home "$home" "$@"; }
run() { v run --from 20240326 --to 20240327 2>>"$out/runs.txt"; }

# A home with every view and list the pipeline has, kept as a pristine copy.
mkdir -p "$work/out" "$work/xls" && touch "$work/xls/7203.xls" "$work/xls/1301.xlsx"
v set HtmlDataDir "$home/out" && v set XlsCheckDir "$home/xls" &&
  v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/inbs/" && v set RequestIntervalMs 0 &&
  v set EnableHtmlPort 1 && v set PortList "1301, 7203, 2158" && v set EnableHtmlXls 1 &&
  v set EnableIgnoreList 1 && v set IgnoreList "6758" &&
  v set QuoteBaseUrl "$VELKORA_FIXTURE_URL" && v set UseFullConame 1 && v set HtmlInsertIndustry 1 &&
  v set EnableHtmlTicker 1 && v set HtmlInsertSBI 1 || fail "cannot write the options"
cp -r "$work" "$out/pristine"
fresh() { rm -rf "$work" && cp -r "$out/pristine" "$work"; }

# What a run leaves: the checksum of every file of the output directory (the
# lock file aside) and of the option file, one process for them all (a run
# per kill point makes this the test's inner loop). Runs slowed by the
# fixture's "/fail/slow/MS/" path write that path into their links; it is
# taken out first, in place (the home is made afresh for each case).
snapshot() {
  (cd "$work" &&
    { LC_ALL=C grep -rlZ 'fail/slow/' out VelkoraOption.ini | xargs -0r sed -i 's#fail/slow/[0-9]*/##g'; } &&
    find out VelkoraOption.ini -type f ! -name _run.lock | LC_ALL=C sort | xargs -d '\n' sha1sum) >"$1" ||
    fail "cannot take the snapshot of $work"
}
# Says how the home differs from the reference run's copy.
differs() { diff "$out/reference.txt" "$out/after.txt" | grep '^[<>]' | head -5; }

run || fail "the reference run failed: $(cat "$out/runs.txt")"
snapshot "$out/reference.txt"
cp -r "$work" "$out/reference"

# 1. kill -9 at every point until a run passes them all.
point=1
killed=0
while :; do
  fresh
  VELKORA_CRASH_AT=$point run
  status=$?
  [ "$status" = 137 ] || break
  killed=$((killed + 1))
  run || fail "the run after a kill at point $point failed with status $?: $(tail -n 3 "$out/runs.txt")"
  snapshot "$out/after.txt"
  cmp -s "$out/reference.txt" "$out/after.txt" ||
    fail "a kill at point $point left other files (diff -r $out/reference $work): $(differs)"
  point=$((point + stride))
done
[ "$status" = 0 ] || fail "a run with VELKORA_CRASH_AT=$point ended with $status"
[ $((killed * stride)) -ge 60 ] || fail "only $killed kill points: the crash points are not reached"
echo "faults: killed at $killed points, every time recovered" >&2

if [ -z "$emulator" ]; then
  # 2. Ctrl-C at moments spread over a slowed run.
  for delay in 0.05 0.1 0.2 0.3 0.45 0.6 0.8 1.0 1.3; do
    fresh
    v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/fail/slow/40/inbs/" && v set QuoteBaseUrl "$VELKORA_FIXTURE_URL/fail/slow/20"
    "$velkora" --home "$home" run --from 20240326 --to 20240327 2>>"$out/runs.txt" &
    pid=$!
    sleep "$delay"
    kill -INT "$pid" 2>/dev/null
    wait "$pid"
    status=$?
    [ "$status" = 130 ] || [ "$status" = 0 ] || fail "a run cancelled after ${delay}s ended with $status"
    v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/inbs/" && v set QuoteBaseUrl "$VELKORA_FIXTURE_URL"
    run || fail "the run after a cancel at ${delay}s failed"
    snapshot "$out/after.txt"
    cmp -s "$out/reference.txt" "$out/after.txt" || fail "a cancel at ${delay}s left other files (diff -r $out/reference $work): $(differs)"
  done
  # A download that would take a minute does not hold up a cancel.
  fresh
  v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/fail/slow/60000/inbs/"
  "$velkora" --home "$home" run --from 20240326 --to 20240327 2>>"$out/runs.txt" &
  pid=$!
  sleep 1
  kill -INT "$pid"
  sleep 2
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    fail "a cancel waited for the download in progress"
  fi
  wait "$pid"
  [ $? = 130 ] || fail "a cancelled download did not end with 130"
fi

# 3. Two runs at once: the second is refused at once and changes nothing; the
# first goes on to its end.
fresh
v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/fail/slow/700/inbs/"
$emulator "$velkora" --home "$home" run --from 20240326 --to 20240327 2>>"$out/runs.txt" &
first=$!
sleep 2
v run --from 20240326 --to 20240327 2>"$out/second.txt"
status=$?
[ "$status" = 1 ] || fail "a second run at once ended with $status"
grep -q "ERROR:" "$out/second.txt" || fail "a second run at once was not reported: $(cat "$out/second.txt")"
kill -0 "$first" 2>/dev/null || fail "the first run ended before the second one started"
wait "$first" || fail "the first of two runs at once failed"
v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/inbs/"
snapshot "$out/after.txt"
cmp -s "$out/reference.txt" "$out/after.txt" || fail "two runs at once left other files (diff -r $out/reference $work): $(differs)"
exit 0
