#!/bin/sh
# The velkora program against finance sites that fail, refuse and send garbage
# (run inside tools/with-fixture with VELKORA_FIXTURE_ARGS generating
# 2024-03-25..27):
#   sites-run.sh OUTDIR VELKORA [EMULATOR]
# 1. a run against sites that answer every quote and report page with 500
#    (exit 1, names and schedules pending), then a run against healthy sites,
#    leaves files byte for byte those of one run against the healthy sites;
# 2. re-fetching the companies from a failing site exits 1 and keeps the names;
# 3. hostile names (markup, line breaks, NUL) never become markup;
# 4. (Linux) Ctrl-C ends the pause between two requests at once;
# and every page of every home is well-formed XML.
set -u
out=$1
velkora=$2
emulator=${3:-}
fail() { echo "sites: $*" >&2; exit 1; }

# The generated days are in March 2024; the service only has the last weeks' lists.
VELKORA_TODAY=20240328
export VELKORA_TODAY

rm -rf "$out"
mkdir -p "$out" || fail "cannot create $out"
if [ -n "$emulator" ]; then
  wineserver -p && trap 'wineserver -k' EXIT
fi
native() { if [ -n "$emulator" ]; then winepath -w "$1" 2>/dev/null; else echo "$1"; fi; }
url=$VELKORA_FIXTURE_URL

v() { _home=$(native "$out/$1") || fail "winepath"; shift; $emulator "$velkora" --home "$_home" "$@"; }
# The options every home shares, set once (under Wine every setting costs a
# start of the program): every page, full names, markets, industries, link
# cells and the portfolio's schedules.
mkdir -p "$out/base/out" "$out/base/xls" && touch "$out/base/xls/7203.xls" "$out/base/xls/6758.xlsx" ||
  fail "cannot create $out/base"
for pair in "TdnetBaseUrl $url/inbs/" "RequestIntervalMs 0" \
  "EnableHtmlPort 1" "PortList 7203,1301,2158,9556" "EnableHtmlXls 1" "EnableHtmlTicker 1" "UseFullConame 1" \
  "HtmlInsertMarket 1" "HtmlInsertIndustry 1" "HtmlInsertYahoo 1" "HtmlInsertIfis 1" "HtmlInsertGMO 1" \
  "HtmlInsertKCom 1" "HtmlInsertSBI 1" "EnableStSche 1" "EnableStSchePort 1" "EnableStScheXls 1" "StScheCycle 0"; do
  # shellcheck disable=SC2086
  v base set ${pair%% *} "${pair#* }" || fail "set $pair"
done
# A home NAME with those options and its own directories; the quote and report
# sites behind PREFIX.
setup() {
  work=$out/$1
  cp -r "$out/base" "$work" || fail "cannot create $work"
  home=$(native "$work") || fail "winepath"
  v "$1" set HtmlDataDir "$home/out" && v "$1" set XlsCheckDir "$home/xls" || fail "set the directories of $1"
  sites "$1" "$2"
}
sites() {
  v "$1" set QuoteUrlTemplate "$url$2/quote/{code}.T" &&
    v "$1" set ReportUrlTemplate "$url$2/index.php?action=tp1&sa=report&bcode={code}" || fail "set the sites"
}
run() { _name=$1; shift; v "$_name" run --from 20240325 --to 20240327 "$@" 2>>"$out/$_name.txt"; }
# Every file of a home's output directory but the lock, for comparison.
snapshot() {
  (cd "$out/$1/out" && find . -type f ! -name _run.lock |
    LC_ALL=C sort | while read -r f; do
    echo "== $f"
    od -An -c "$f"
  done) >"$out/$1.snapshot"
}
pending="取得できなかった"

# 1. Failing sites, then healthy ones, equal one healthy run.
setup healthy ""
run healthy || fail "the healthy run failed: $(cat "$out/healthy.txt")"
snapshot healthy
setup failing /fail/500
run failing && fail "a run whose pages all failed exited 0"
grep -q "$pending" "$out/failing.txt" || fail "the failed run did not say what is pending"
LC_ALL=C grep -aq '500 Internal' "$out/failing/out/_coname.txt" && fail "an error page became a name"
sites failing ""
run failing || fail "the run after the failed one failed: $(tail -3 "$out/failing.txt")"
snapshot failing
cmp -s "$out/healthy.snapshot" "$out/failing.snapshot" ||
  fail "a failed run then a healthy one differs from one healthy run: $(diff "$out/healthy.snapshot" "$out/failing.snapshot" | head -5)"

# 2. Re-fetching the companies from a failing site keeps their names.
cp "$out/failing/out/_coname.txt" "$out/names-before"
sites failing /fail/503
run failing --refetch-companies && fail "a re-fetch that fetched nothing exited 0"
cmp -s "$out/names-before" "$out/failing/out/_coname.txt" || fail "the re-fetch lost names"

# 3. Hostile names: text on one line, and the next run still merges.
for kind in script table lines nul; do
  setup "$kind" "/name/$kind"
  run "$kind" || fail "the run with $kind names failed: $(cat "$out/$kind.txt")"
  v "$kind" run --from 20240325 --to 20240328 2>>"$out/$kind.txt" || fail "the second $kind run failed"
  [ "$(LC_ALL=C grep -c '' "$out/$kind/out/_coname.txt")" = 9000 ] || fail "$kind: _coname.txt is not 9000 lines"
  LC_ALL=C grep -aql '<script\|<b>' "$out/$kind/out/"*.html && fail "$kind: a name became markup"
done

"$(dirname "$0")/check-pages.sh" "$out/healthy/out" "$out/failing/out" "$out/script/out" "$out/table/out" \
  "$out/lines/out" "$out/nul/out" || fail "a page is not well-formed"

# 4. Ctrl-C during the pause between two requests ends the run at once.
if [ -z "$emulator" ]; then
  setup pause ""
  v pause set RequestIntervalMs 60000 || fail "set RequestIntervalMs"
  "$velkora" --home "$out/pause" run --from 20240325 --to 20240327 2>"$out/pause.txt" &
  pid=$!
  sleep 2
  kill -INT "$pid"
  start=$(date +%s)
  wait "$pid"
  status=$?
  [ "$status" = 130 ] || fail "a run cancelled during a pause exited with $status"
  [ $(($(date +%s) - start)) -le 5 ] || fail "the cancel waited for the pause"
fi
exit 0
