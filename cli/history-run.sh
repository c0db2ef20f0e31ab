#!/bin/sh
# The history as data through the velkora program (run inside tools/with-fixture
# with VELKORA_FIXTURE_ARGS generating 2024-03-25..27):
#   history-run.sh OUTDIR VELKORA [EMULATOR]
# downloads the fixture days beside a hand-written raw day of hostile titles,
# then checks search, the CSV and JSON Lines exports (read back by Python's csv
# and json modules, field by field against the raw day files), the Atom feeds
# (feedparser without bozo, xmllint) and the refusals (exit 2, nothing changed).
set -u
out=$1
velkora=$2
emulator=${3:-}
fail() { echo "history: $*" >&2; exit 1; }
py=/usr/bin/python3

VELKORA_TODAY=20240328
export VELKORA_TODAY
rm -rf "$out"
mkdir -p "$out/out/Raw" || fail "cannot create $out"
home=$out
if [ -n "$emulator" ]; then home=$(winepath -w "$out" 2>/dev/null) || fail "winepath"; fi
v() { $emulator "$velkora" --home "$home" "$@"; }

# A day the service no longer serves, kept from earlier: titles with commas,
# quotes, a line break, references and full-width letters.
row() {
  printf '<tr><td id="time">%s</td><td id="ticker">%s</td><td id="coname">%s</td><td id="market">東</td><td id="title"><a href="https://www.release.tdnet.info/inbs/%s.pdf" target="_blank">%s</a></td></tr>\n' "$@"
}
{
  printf '<?xml version="1.0" encoding="Shift_JIS"?>\n<html xmlns="http://www.w3.org/1999/xhtml"><head><title>r</title></head><body>\n<table>\n'
  row 1800 7203 'トヨタ' 140120240322500003 'M&amp;A, &quot;合併&quot; と &lt;再編&gt; のお知らせ'
  row 1700 1301 '極洋' 140120240322500002 'ＩＦＲＳ決算&#13;&#10;短信,第3四半期&#10;修正' |
    sed 's|</td></tr>$|</td><td id="xbrl"><a href="https://www.release.tdnet.info/inbs/081220240322500002.zip?a=1\&amp;b=2">XBRL</a></td></tr>|'
  row 1600 9984 'ソフトＢ' 140120240322500001 "自己株式の取得 'A'"
  printf '</table>\n</body></html>\n'
} | iconv -f UTF-8 -t CP932 >"$out/out/Raw/20240322.html" || fail "cannot write the hostile day"
touch -d '2024-03-25 12:00' "$out/out/Raw/20240322.html"

v set HtmlDataDir "$home/out" && v set TdnetBaseUrl "$VELKORA_FIXTURE_URL/inbs/" && v set RequestIntervalMs 0 &&
  v set EnableHtmlPort 1 && v set PortList "1301, 7203" || fail "cannot write the options"
v run --from 20240322 --to 20240327 2>"$out/run.txt" || fail "run: $(cat "$out/run.txt")"
[ "$(grep -c '<tr>' "$out/out/Raw/20240322.html")" = 3 ] || fail "the run replaced the kept day"

# search: every word, case- and width-blind, newest first; 1 when nothing is found.
v search --from 20240322 --to 20240322 ifrs 短信 >"$out/s1.txt" || fail "search ifrs found nothing"
[ "$(wc -l <"$out/s1.txt")" = 1 ] || fail "search ifrs: $(cat "$out/s1.txt")"
printf '2024-03-22\t17:00\t1301\t極洋\t東\tＩＦＲＳ決算  短信,第3四半期 修正\thttps://www.release.tdnet.info/inbs/140120240322500002.pdf\n' |
  cmp -s - "$out/s1.txt" || fail "search line: $(cat "$out/s1.txt")"
v search 'm&a' '"合併"' >"$out/s2.txt" && grep -q '^2024-03-22	18:00	7203	' "$out/s2.txt" || fail "search M&A"
v search --code 9984 --from 20240322 --to 20240322 >"$out/s3.txt" && [ "$(wc -l <"$out/s3.txt")" = 1 ] || fail "search --code"
v search qqqqnothing >"$out/s4.txt"; [ $? = 1 ] && [ ! -s "$out/s4.txt" ] || fail "search without a match is not status 1"
v search --view port 自己株式 >"$out/s5.txt"
grep -qv '	\(1301\|7203\)	' "$out/s5.txt" && fail "search --view port shows other companies"
v search --from 20240325 --to 20240327 --code 1301 | cut -f1,2 >"$out/order.txt"
[ -s "$out/order.txt" ] || fail "search --code 1301 found nothing"
sort -r "$out/order.txt" | cmp -s - "$out/order.txt" || fail "search is not newest first"
# An alphanumeric code, named in either case; the export gives it as TDnet writes it too.
v search --from 20240325 --to 20240327 --code 285a >"$out/s6.txt" || fail "search --code 285a found nothing"
grep -qv '	285A	' "$out/s6.txt" && fail "search --code 285a shows other companies"
v export --from 20240325 --to 20240327 | grep -q ',285A,285A0,' || fail "export lacks the rows of 285A"

# export: CSV (with the byte-order mark) and JSON Lines, read back and checked
# field by field against the raw day files.
v export --bom --out "$home/export.csv" 2>"$out/export-csv.txt" || fail "export csv: $(cat "$out/export-csv.txt")"
v export --format jsonl >"$out/export.jsonl" || fail "export jsonl"
$py - "$out" <<'PY' || fail "the exports do not match the raw store"
import csv, glob, html, json, os, re, sys
out = sys.argv[1]
rows = []
for path in sorted(glob.glob(os.path.join(out, "out/Raw/*.html")), reverse=True):
    day = os.path.basename(path)[:8]
    text = open(path, encoding="cp932").read()
    day_rows = []
    for m in re.finditer(r'<tr><td id="time">(\d\d)(\d\d)</td><td id="ticker">(\w+)</td><td id="coname">(.*?)</td>'
                         r'<td id="market">(.*?)</td><td id="title"><a href="(.*?)"[^>]*>(.*?)</a></td>'
                         r'(?:<td id="xbrl"><a href="(.*?)">XBRL</a></td>)?</tr>', text, re.S):
        hh, mm, code, name, market, url, title, xbrl = m.groups()
        plain = lambda s: re.sub(r"[\x00-\x1f]", " ", html.unescape(s))
        day_rows.append({"date": f"{day[:4]}-{day[4:6]}-{day[6:]}", "time": f"{hh}:{mm}", "code": code,
                     "tdnet_code": code + "0", "name": plain(name), "place": "" if market == "？" else market, "title": plain(title),
                     "pdf_url": html.unescape(url), "xbrl_url": html.unescape(xbrl or ""),
                     "document_id": os.path.basename(url)[:-4]})
    rows += sorted(day_rows, key=lambda r: r["time"], reverse=True)
raw = open(os.path.join(out, "export.csv"), "rb").read()
assert raw.startswith(b"\xef\xbb\xbf"), "no byte-order mark"
records = list(csv.DictReader(raw[3:].decode("utf-8").splitlines(keepends=True)))
lines = [json.loads(line) for line in open(os.path.join(out, "export.jsonl"), encoding="utf-8")]
assert len(rows) == len(records) == len(lines), (len(rows), len(records), len(lines))
for want, got, obj in zip(rows, records, lines):
    assert got == obj, (got, obj)
    for key, value in want.items():
        assert got[key] == value, (key, got[key], value)
hostile = [r for r in records if r["date"] == "2024-03-22"]
assert hostile[0]["title"] == 'M&A, "合併" と <再編> のお知らせ', hostile[0]["title"]
assert hostile[1]["title"] == "ＩＦＲＳ決算  短信,第3四半期 修正", hostile[1]["title"]
assert hostile[1]["xbrl_url"] == "https://www.release.tdnet.info/inbs/081220240322500002.zip?a=1&b=2", hostile[1]
assert hostile[0]["xbrl_url"] == "", hostile[0]
fetched = [r for r in records if r["date"] != "2024-03-22"]
assert any(r["xbrl_url"].endswith(".zip") for r in fetched) and any(not r["xbrl_url"] for r in fetched), "no XBRL mix"
PY
(cd "$out" && v export --from 20240322 --to 20240322 --out relative.csv) && [ -s "$out/relative.csv" ] ||
  fail "export --out does not take a relative file from the current directory"
v export --from 20240322 --to 20240322 --format jsonl --view port >"$out/port.jsonl" || fail "export --view port"
[ "$(wc -l <"$out/port.jsonl")" = 2 ] || fail "export --view port: $(cat "$out/port.jsonl")"

# The feeds beside the summary pages, linked from them.
for view in All Port; do
  feed=$out/out/$view.atom
  xmllint --noout "$feed" || fail "$feed is not well-formed"
  grep -q "<link rel=\"alternate\" type=\"application/atom+xml\" href=\"$view.atom\"" "$out/out/$view.html" ||
    fail "$view.html does not link its feed"
  $py - "$feed" "$out" "$view" <<'PY' || fail "$feed does not read as a feed"
import glob, html, os, re, sys, feedparser
feed = feedparser.parse(sys.argv[1])
# The XBRL addresses of the raw days, by document id.
xbrl = {}
for path in glob.glob(os.path.join(sys.argv[2], "out/Raw/*.html")):
    text = open(path, encoding="cp932").read()
    for m in re.finditer(r'/(\d{18})\.pdf"[^>]*>.*?</a></td><td id="xbrl"><a href="(.*?)">', text):
        xbrl[m.group(1)] = html.unescape(m.group(2))
assert not feed.bozo, feed.get("bozo_exception")
assert feed.feed.title and feed.feed.id and feed.feed.updated and feed.feed.author
assert 0 < len(feed.entries) <= 200, len(feed.entries)
ids = [e.id for e in feed.entries]
assert len(set(ids)) == len(ids), "ids repeat"
times = [e.updated for e in feed.entries]
assert times == sorted(times, reverse=True), "not newest first"
enclosed = 0
for e in feed.entries:
    assert e.updated.endswith("+09:00") and e.link.endswith(".pdf") and e.id.startswith("tag:velkora,2026:tdnet/"), e
    enclosures = [l for l in e.links if l.rel == "enclosure"]
    want = xbrl.get(e.id.rsplit("/", 1)[1])
    assert [l.href for l in enclosures] == ([want] if want else []), (e.id, enclosures, want)
    assert all(l.type == "application/zip" for l in enclosures), enclosures
    enclosed += len(enclosures)
# All's newest 200 hold financial reports (with XBRL) and other disclosures.
assert sys.argv[3] != "All" or 0 < enclosed < len(feed.entries), enclosed
PY
done
$py - "$out/out/All.atom" <<'PY' || fail "All.atom lacks the newest 200"
import sys, feedparser
feed = feedparser.parse(sys.argv[1])
assert len(feed.entries) == 200, len(feed.entries)
PY
cp "$out/out/All.atom" "$out/All.atom.before"
printf 'garbage <feed' >"$out/out/All.atom"
v run --from 20240322 --to 20240327 2>>"$out/run.txt" || fail "second run"
cmp -s "$out/All.atom.before" "$out/out/All.atom" || fail "a damaged feed was not made anew, the same"

# Refusals: a message, status 2, nothing changed in the output directory.
snapshot() { (cd "$out/out" && find . -type f | LC_ALL=C sort | xargs sha256sum); }
snapshot >"$out/before.txt"
refuse() {
  v "$@" >/dev/null 2>"$out/refused.txt"
  [ $? = 2 ] || fail "not refused with status 2: $*"
  [ -s "$out/refused.txt" ] || fail "refused without a message: $*"
}
refuse search --from 20241340 x
refuse search --to 2024-03-27 x
refuse search --view fav x
refuse search --from 20240327 --to 20240301 x
refuse search --code 12 x
refuse export --from 20240230
refuse export --view everything
refuse export --format xml
refuse export --format jsonl --bom
refuse export --out "$home/no/such/dir/x.csv"
refuse export --out "$home/out"
mkdir -p "$out/empty-home"
empty=$out/empty-home
if [ -n "$emulator" ]; then empty=$(winepath -w "$empty" 2>/dev/null) || fail "winepath"; fi
$emulator "$velkora" --home "$empty" search x >/dev/null 2>"$out/refused.txt"
[ $? = 2 ] && [ -s "$out/refused.txt" ] || fail "search without an output directory is not refused"
snapshot | cmp -s - "$out/before.txt" || fail "a refused command changed the output directory"
[ ! -e "$out/no" ] || fail "a refused export created a directory"
exit 0
