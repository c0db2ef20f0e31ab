#!/bin/sh
# velkora demo into OUTDIR: it must finish, print the pages it made, every page
# must be well-formed XML, and All.html must open in a browser (headless Chromium takes a screenshot of it
# when Chromium is installed).
#   demo-test.sh VELKORA OUTDIR
set -u
velkora=$1
out=$2
fail() { echo "demo-test: $*" >&2; exit 1; }

rm -rf "$out"
"$velkora" demo --out "$out" >"$out.stdout" 2>"$out.stderr" || fail "demo failed: $(tail -5 "$out.stderr")"
grep -q '^Demo home: ' "$out.stdout" || fail "no home printed"
page=$(sed -n 's/^All.html: //p' "$out.stdout")
[ -n "$page" ] && [ -s "$page" ] || fail "no All.html printed: $(cat "$out.stdout")"
for summary in Port Xls PortSche XlsSche; do
  grep -q "^$summary.html: " "$out.stdout" || fail "no $summary.html printed"
done
grep -q '<td id="ticker">' "$out/html/PortSche.html" || fail "the portfolio's schedule page is empty"
grep -q '^All view: ' "$out.stdout" || fail "no All view printed"
grep -q '^Port view: ' "$out.stdout" || fail "no Port view printed"
grep -q '^Xls view: ' "$out.stdout" || fail "no Xls view printed"
company=$(sed -n 's/^Company page: //p' "$out.stdout")
[ -n "$company" ] && [ -s "$company" ] || fail "no company page printed"
# Full names came from the quote pages ("(株)" taken out), and the icons exist.
grep -q '(株)' "$out/html/_coname.txt" && fail "a stored name kept its (株)"
[ "$(grep -c . "$out/html/_coname.txt")" -gt 10 ] || fail "no names were fetched"
for icon in yahoo gmo kcom sbi ifis; do [ -s "$out/html/Images/$icon.png" ] || fail "no $icon.png"; done
# Opening a page looks nothing up on the web: its icon lies beside the link icons.
[ -s "$out/html/Images/velkora.ico" ] || fail "no site icon"
grep -rl 'velkora\.example' "$out/html" && fail "a page links a made-up address"
grep -q 'href="Images/velkora.ico"' "$page" || fail "All.html does not link the site icon"
grep -q 'href="../Images/velkora.ico"' "$company" || fail "the company page does not link the site icon"
grep -q -- '----- finish -----' "$out/DebugLog.txt" || fail "the run did not finish"
# Every page the demo wrote is well-formed XML.
"$(dirname "$0")/check-pages.sh" "$out/html" || fail "a page is not well-formed"

if command -v chromium >/dev/null 2>&1; then
  profile=$(mktemp -d)
  timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --window-size=1000,700 --screenshot="$out/all.png" \
    "file://$page" >/dev/null 2>&1
  rm -rf "$profile"
  # A page with rows of Japanese text compresses to well over 10 KB; a blank
  # or error page to much less.
  size=$(wc -c <"$out/all.png" 2>/dev/null || echo 0)
  [ "$size" -gt 10000 ] || fail "the screenshot of $page is blank ($size bytes)"
fi
exit 0
