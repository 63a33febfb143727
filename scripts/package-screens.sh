#!/usr/bin/env bash
# Starts the installed glazecalc the way its desktop entry does, in a fresh
# home folder under a virtual display, accepts the disclaimer, opens Help ->
# User Manual and keeps screenshots of each step in docs/package/.
# Needs the package installed, and xvfb, openbox, xdotool, imagemagick and a
# PDF viewer (mupdf).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/docs/package"
mkdir -p "$out"
entry=/usr/share/applications/quorvex-glazecalc.desktop
command=$(sed -n 's/^Exec=//p' "$entry")
home=$(mktemp -d)
cat >"$home/run.sh" <<INNER
set -e
export HOME="$home"
cd /
openbox >/dev/null 2>&1 &
sleep 1
$command &
sleep 4
import -window root "$out/1-first-start-disclaimer.png"
xdotool search --name "About Quorvex" windowactivate --sync key Return || true
sleep 2
import -window root "$out/2-main-window.png"
win=\$(xdotool search --name "^Quorvex \\(Version 5.0\\)" | head -1)
xdotool windowactivate --sync "\$win" key alt+h
sleep 1
xdotool key u
sleep 4
import -window root "$out/3-user-manual.png"
ls "$home/Quorvex" "$home/Quorvex/Data" > "$out/working-folder.txt"
kill %2 || true\nkill %1 || true
pkill -f "mupdf" || true
INNER
xvfb-run -a -s "-screen 0 1400x900x24" bash "$home/run.sh"
rm -rf "$home"
echo "screenshots in $out"
