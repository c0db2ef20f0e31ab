#!/bin/sh
# gui-smoke.sh VELKORA_EXE WORKDIR
# Starts the real Velkora.exe under Wine on the display of tools/with-display
# from a fresh folder, waits for its window, closes it with Alt+F4 and checks
# that the program ended by itself with status 0 and left its option file (with
# the window's position) beside the executable.
exe=$1
work=$2
fail() { echo "gui-smoke: $*" >&2; exit 1; }
here=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work" && mkdir -p "$work" || fail "cannot create $work"
cp "$exe" "$work/Velkora.exe" || fail "cannot copy $exe"
"$here/cmake/wine-run" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  >/dev/null 2>&1
"$here/cmake/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

"$here/cmake/wine-run" "$work/Velkora.exe" &
pid=$!
window=
for i in $(seq 1 200); do
  window=$(xdotool search --name '^Velkora$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "Velkora.exe ended before showing its window"
  sleep 0.1
done
[ -n "$window" ] || { kill "$pid"; fail "no window named Velkora"; }
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null
xdotool key --window "$window" alt+F4
for i in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  import -window root "$work/still-running.png" 2>/dev/null
  kill "$pid"
  wineserver -k 2>/dev/null
  fail "Velkora.exe did not end after Alt+F4 (screen in $work/still-running.png)"
fi
wait "$pid"
status=$?
wineserver -k 2>/dev/null
[ "$status" = 0 ] || fail "Velkora.exe ended with status $status"
grep -q '^\[WindowSize_Main\]' "$work/VelkoraOption.ini" || fail "no option file with the window's position"
grep -q '^EnableHtmlAll=1' "$work/VelkoraOption.ini" || fail "the options were not saved at close"
exit 0
