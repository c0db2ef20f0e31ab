#!/bin/sh
# End-to-end run of the velkora program against the fixture server (run inside
# tools/with-fixture with VELKORA_FIXTURE_ARGS generating 2024-03-25..27):
#   e2e-run.sh OUTDIR VELKORA [EMULATOR [REFERENCE]]
# downloads three days, checks the raw day files and views, runs again and checks
# the skip decisions. OUTDIR receives the home; with REFERENCE (the OUTDIR of
# another build's run) the raw day files must be byte for byte the same, but for
# the fixture server's port in the links.
set -u
out=$1
velkora=$2
emulator=${3:-}
reference=${4:-}
fail() { echo "e2e: $*" >&2; exit 1; }

# The generated days are in March 2024; the service only has the last weeks' lists.
VELKORA_TODAY=20240328
export VELKORA_TODAY

rm -rf "$out"
mkdir -p "$out/out/Raw" || fail "cannot create $out"
home=$out
if [ -n "$emulator" ]; then home=$(winepath -w "$out" 2>/dev/null) || fail "winepath"; fi
v() { $emulator "$velkora" --home "$home" "$@"; }

v set HtmlDataDir "$home/out" || fail "set HtmlDataDir"
v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/inbs/" || fail "set TdnetBaseUrl"
v set RequestIntervalMs 0 || fail "set RequestIntervalMs"
v set EnableHtmlPort 1 && v set PortList "1301, 7203" || fail "set PortList"
v set EnableIgnoreList 1 && v set IgnoreList "6758" || fail "set IgnoreList"
v set DebugLogLevel 2 || fail "set DebugLogLevel"
v run --from 20240327 --to 20240325 2>"$out/run1.txt" || fail "first run: $(cat "$out/run1.txt")"

for day in 20240325 20240326 20240327; do
  raw=$out/out/Raw/$day.html
  [ -s "$raw" ] || fail "no raw day file $raw"
  head -n 1 "$raw" | grep -q '^<?xml version="1.0" encoding="Shift_JIS"?>' || fail "$raw has no header"
  tail -c 25 "$raw" | grep -q '</table>' || fail "$raw has no footer"
  [ -s "$out/out/All/$day.html" ] || fail "no All view of $day"
  [ -s "$out/out/Port/$day.html" ] || fail "no Port view of $day"
  grep -qx '[[:space:]]*6758' "$out/out/All/$day.html" && fail "ignored 6758 in the All view of $day"
  if [ -n "$reference" ] && [ -d "$reference/out/Raw" ]; then
    sed 's/127\.0\.0\.1:[0-9]*/HOST/g' "$raw" >"$out/mine.html"
    sed 's/127\.0\.0\.1:[0-9]*/HOST/g' "$reference/out/Raw/$day.html" >"$out/theirs.html"
    cmp -s "$out/mine.html" "$out/theirs.html" || fail "raw day $day differs from $reference"
  fi
done
"$(dirname "$0")/check-pages.sh" "$out/out" || fail "a page is not well-formed"
# 230 disclosures a day: three list pages each.
[ "$(grep -c 'download TDNet html(20240326' "$out/DebugLog.txt")" = 3 ] || fail "20240326 was not three downloads"

# Second run: finished past days are kept, nothing is downloaded again.
touch -r "$out/out/Raw/20240326.html" "$out/stamp"
v run --from 20240325 --to 20240327 2>"$out/run2.txt" || fail "second run"
grep -q 'download TDNet html' "$out/DebugLog.txt" && fail "the second run downloaded again"
[ "$out/out/Raw/20240326.html" -nt "$out/stamp" ] && fail "a kept raw day was rewritten"

# What a run reads of the option file is read when it starts: an edit of the
# file while the run is under way changes nothing of it (here it would
# otherwise take the new portfolio for a changed one and make the Port views
# afresh beneath the run). `set PortList` itself is refused while a run is under way.
if [ -z "$emulator" ]; then
  cp "$out/out/Port/20240325.html" "$out/port-before.html"
  mv "$out/out/Raw/20240327.html" "$out/raw-20240327.html"
  v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/fail/slow/500/inbs/" || fail "set TdnetBaseUrl"
  touch "$out/stamp-set"
  "$velkora" --home "$home" run --from 20240325 --to 20240327 2>"$out/run-set.txt" &
  pid=$!
  sleep 0.5
  v set PortList "9999" 2>/dev/null && fail "set PortList was not refused during a run"
  sed -i 's/^PortList=.*/PortList=9999/; s/^EnableHtmlPort=1/EnableHtmlPort=0/' "$out/VelkoraOption.ini"
  wait "$pid" || fail "the run beneath a set failed: $(cat "$out/run-set.txt")"
  cmp -s "$out/out/Port/20240325.html" "$out/port-before.html" || fail "a set during a run changed its Port views"
  [ -s "$out/out/Raw/20240327.html" ] && [ -s "$out/out/Port/20240327.html" ] || fail "the run beneath a set made no day"
  # (Its rows link the archive's copies, kept by the first run, rather than the new address.)
  [ "$out/out/Port.html" -nt "$out/stamp-set" ] || fail "the run took Port.html for off from an edit made during it"
  v set PortList "1301, 7203" && v set EnableHtmlPort 1 || fail "set PortList"
  # The day as the first run stored it, for another build's comparison.
  mv "$out/raw-20240327.html" "$out/out/Raw/20240327.html"
fi

# Ctrl-C cancels a run (exit status 130) and leaves no half-written day behind.
if [ -z "$emulator" ]; then
  v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/fail/slow/400/inbs/" || fail "set TdnetBaseUrl"
  "$velkora" --home "$home" run --from 20240401 --to 20240410 2>"$out/run3.txt" &
  pid=$!
  sleep 1
  kill -INT "$pid"
  wait "$pid"
  status=$?
  [ "$status" = 130 ] || fail "a cancelled run exited with $status"
  ls "$out/out/Raw" | grep -q '\.part$' && fail "a cancelled day left its temporary file"
fi
exit 0
