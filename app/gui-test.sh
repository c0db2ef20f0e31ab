#!/bin/sh
# gui-test.sh LOCALE TEST SHOTS [DPI]
# Runs the GUI test program TEST under Wine with a Japanese (ja) or English (en)
# locale, in a Wine prefix of its own (WINEPREFIX, set by CTest), on the display
# of tools/with-display, with the screen at DPI dots per inch (Wine's LogPixels;
# 96 by default). When the program announces that the main window is ready for a
# picture (a file naming its rectangle), the screen is captured into
# SHOTS/main-window-LOCALE.png (main-window-LOCALE-DPI.png at another DPI than
# 96) and the program is told to go on.
locale=$1
test=$2
shots=$3
dpi=${4:-96}
name=main-window-$locale
[ "$dpi" = 96 ] || name=$name-$dpi
case $locale in
  ja) lang=ja_JP.UTF-8 ;;
  en) lang=en_US.UTF-8 ;;
  *) echo "gui-test.sh: unknown locale $locale" >&2; exit 2 ;;
esac
# Without the system locale Wine would fall back to C and the test would not
# show what it claims to.
if ! locale -a 2>/dev/null | grep -qi "^$(echo "$lang" | sed 's/UTF-8/utf8/')$"; then
  echo "gui-test.sh: the locale $lang is not installed (run scripts/setup)" >&2
  exit 1
fi
LANG=$lang
LC_ALL=$lang
export LANG LC_ALL
mkdir -p "$shots" || exit 1
ready=$shots/$name.ready
done=$shots/$name.done
rm -f "$ready" "$done"
VELKORA_SHOT_READY=$ready
VELKORA_SHOT_DONE=$done
VELKORA_DPI=$dpi
export VELKORA_SHOT_READY VELKORA_SHOT_DONE VELKORA_DPI

here=$(cd "$(dirname "$0")/.." && pwd)
# A crash must end the program, not wait for someone to close Wine's crash
# dialog. There is no window manager on the virtual display: Wine draws the
# frames itself and does not wait for a manager when a window is hidden.
"$here/cmake/wine-run" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
  >/dev/null 2>&1
"$here/cmake/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The screen's DPI, as the Windows display settings store it.
"$here/cmake/wine-run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
"$here/cmake/wine-run" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
  /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
# The registry is read when the Wine server starts.
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
timeout -k 10 500 "$here/cmake/wine-run" "$test" &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
  if [ -f "$ready" ]; then
    # The file holds the window's rectangle as WIDTHxHEIGHT+X+Y.
    geometry=$(head -n 1 "$ready")
    import -window root -crop "$geometry" +repage "$shots/$name.png" 2>/dev/null ||
      echo "gui-test.sh: screenshot failed" >&2
    rm -f "$ready"
    touch "$done"
  fi
  sleep 0.1
done
wait "$pid"
status=$?
# The prefix's processes (the desktop among them) would outlive the display.
wineserver -k 2>/dev/null
exit $status
