#!/bin/sh
# Day-by-day runs equal one run over the same period (run inside
# tools/with-fixture with VELKORA_FIXTURE_ARGS generating 2024-03-18..29 as the
# demo does):
#   day-by-day-run.sh OUTDIR VELKORA [EMULATOR]
# Home "daily" runs from the period's first day to each weekday in turn, home
# "once" runs over the whole period; both with the demo's options, company
# pages, full names, schedules and a monthly list. Every page and store of the
# two output directories must be byte for byte the same.
set -u
out=$1
velkora=$2
emulator=${3:-}
fail() { echo "day-by-day: $*" >&2; exit 1; }

first=20240318
last=20240329
# The same day for every run: what depends on the date of a run (the guesses
# of the schedules, the monthly days) must not tell the two homes apart.
VELKORA_TODAY=$last
export VELKORA_TODAY

rm -rf "$out"
mkdir -p "$out" || fail "cannot create $out"
if [ -n "$emulator" ]; then
  wineserver -p && trap 'wineserver -k' EXIT
fi
native() { if [ -n "$emulator" ]; then winepath -w "$1" 2>/dev/null; else echo "$1"; fi; }

# A home with the demo's options (as the demo, no pause between two requests
# to the loopback server).
prepare() {
  work=$out/$1
  mkdir -p "$work/html" "$work/xls" || fail "cannot create $work"
  touch "$work/xls/7203.xlsx" "$work/xls/4063.xls" "$work/xls/6501.xlsm"
  printf '<m ticker="7203" date="20" title="月次" />\n<m ticker="6758" date="25" />\n' >"$work/html/_monthly.txt"
  home=$(native "$work") || fail "winepath"
  for setting in "HtmlDataDir $home/html" "XlsCheckDir $home/xls" "TdnetBaseUrl $VELKORA_FIXTURE_URL/inbs/" \
      "QuoteBaseUrl $VELKORA_FIXTURE_URL" "ReportBaseUrl $VELKORA_FIXTURE_URL" "RequestIntervalMs 0" "EnableHtmlAll 1" \
      "EnableHtmlPort 1" "EnableHtmlXls 1" "EnableHtmlTicker 1" "UseFullConame 1" "HtmlInsertIndustry 1" \
      "HtmlInsertMarket 1" "HtmlInsertYahoo 1" "HtmlInsertIfis 1" "HtmlInsertGMO 1" "HtmlInsertKCom 1" \
      "HtmlInsertSBI 1" "EnableStSche 1" "EnableStSchePort 1" "EnableStScheXls 1"; do
    # shellcheck disable=SC2086
    $emulator "$velkora" --home "$home" set ${setting%% *} "${setting#* }" || fail "set $setting"
  done
  $emulator "$velkora" --home "$home" set PortList "7203, 6758, 9984, 8306" || fail "set PortList"
}
run() {
  home=$(native "$out/$1")
  $emulator "$velkora" --home "$home" run --from $first --to "$2" 2>>"$out/$1.txt" ||
    fail "run $1 to $2: $(tail -3 "$out/$1.txt")"
}
weekday() { [ "$(date -d "$1" +%u)" -le 5 ]; }

# The second home starts as a copy of the first, but for its own directories
# (under Wine every setting costs a start of the program).
prepare daily
cp -r "$out/daily" "$out/once" || fail "cannot copy the home"
home=$(native "$out/once") || fail "winepath"
$emulator "$velkora" --home "$home" set HtmlDataDir "$home/html" &&
  $emulator "$velkora" --home "$home" set XlsCheckDir "$home/xls" || fail "set the second home's directories"
day=$first
while [ "$day" -le $last ]; do
  if weekday "$day"; then run daily "$day"; fi
  day=$(date -d "$day + 1 day" +%Y%m%d)
done
run once $last

# Every file of the output directories but the run's lock.
listing() { (cd "$out/$1/html" && find . -type f ! -name _run.lock | LC_ALL=C sort); }
listing daily >"$out/daily.list"
listing once >"$out/once.list"
cmp -s "$out/daily.list" "$out/once.list" || fail "the homes hold different files: $(diff "$out/daily.list" "$out/once.list" | head -20)"
[ "$(wc -l <"$out/once.list")" -gt 100 ] || fail "too few files to compare: $(wc -l <"$out/once.list")"
status=0
while read -r file; do
  if ! cmp -s "$out/daily/html/$file" "$out/once/html/$file"; then
    echo "day-by-day: $file differs" >&2
    status=1
  fi
done <"$out/once.list"
for page in All.html Port.html Xls.html PortSche.html XlsSche.html _schedule.dat _coname.txt _coprof.dat; do
  [ -s "$out/once/html/$page" ] || fail "no $page"
done
exit $status
