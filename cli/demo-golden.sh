#!/bin/sh
# The demo's files against a checked-in manifest: `velkora demo` at log level 2
# on a fixed day writes every page, view, raw day, company page, data file, the
# debug log and the option file; each is hashed with the fixture server's port
# and the demo's home directory replaced by placeholders, so that two runs of
# the same program give the same manifest. A redesign that must not change what
# the program writes keeps this test green.
#   demo-golden.sh VELKORA OUTDIR MANIFEST [--record]
# With --record the manifest is written instead of compared.
set -u
velkora=$1
out=$2
manifest=$3
record=${4:-}
fail() { echo "demo-golden: $*" >&2; exit 1; }
# The program takes relative paths from its own directory: OUTDIR is made absolute.
case $out in /*) ;; *) out=$(pwd)/$out ;; esac

# The demo's week ends today: a fixed today makes it the same week every time.
VELKORA_TODAY=20240329
export VELKORA_TODAY

rm -rf "$out"
"$velkora" demo --out "$out" --log-level 2 >"$out.stdout" 2>"$out.stderr" ||
  fail "demo failed: $(tail -5 "$out.stderr")"

# The home directory as a sed pattern (its special characters escaped).
home=$(cd "$out" && pwd) || fail "no $out"
pattern=$(printf '%s' "$home" | sed 's/[][\.*^$#/]/\\&/g')

# One line per file: its hash after normalising, and its path. Text files lose
# the port and the home directory; binary files are hashed as they are.
list() {
  (cd "$out" && find VelkoraOption.ini DebugLog.txt html xls -type f ! -name _run.lock | LC_ALL=C sort) |
    while read -r file; do
      case $file in
        *.html | *.txt | *.ini | *.css | *.atom)
          hash=$(LC_ALL=C sed -e "s#$pattern#@HOME@#g" -e 's#127\.0\.0\.1:[0-9]*#127.0.0.1:@PORT@#g' \
            "$out/$file" | sha256sum) ;;
        *) hash=$(sha256sum <"$out/$file") ;;
      esac
      echo "${hash%% *}  $file"
    done
}

list >"$out.manifest" || fail "cannot list $out"
[ "$(wc -l <"$out.manifest")" -gt 50 ] || fail "too few files: $(wc -l <"$out.manifest")"
if [ "$record" = --record ]; then
  cp "$out.manifest" "$manifest" || fail "cannot write $manifest"
  echo "demo-golden: recorded $(wc -l <"$manifest") files in $manifest"
  exit 0
fi
if ! cmp -s "$manifest" "$out.manifest"; then
  echo "demo-golden: the demo's files differ from $manifest (< expected, > this build):" >&2
  diff "$manifest" "$out.manifest" | grep '^[<>]' | head -40 >&2
  exit 1
fi
exit 0
