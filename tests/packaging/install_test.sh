#!/usr/bin/env bash
# Installs the build into a scratch prefix, moved away from where it was
# installed, and checks that the programs find their data, pictures and
# manual relative to their own location, not in the source tree.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/first" >/dev/null
# Unpacked anywhere: the tree is moved after installing.
mv "$scratch/first" "$scratch/moved"
root="$scratch/moved"
for f in bin/glazecalc bin/glazecalc-cli share/quorvex/data/System.csv share/quorvex/Images/Banner.jpg \
         "share/quorvex/Quorvex User Manual.PDF" share/applications/quorvex-glazecalc.desktop \
         share/icons/hicolor/scalable/apps/quorvex-glazecalc.svg; do
  [ -e "$root/$f" ] || { echo "not installed: $f"; exit 1; }
done
# The desktop entry starts the program in the user's own working folder.
grep -q '^Exec=glazecalc --user-folder$' "$root/share/applications/quorvex-glazecalc.desktop"
# Mark the installed catalogue; a data folder seeded from it carries the mark.
printf 'Installed Copy,Marker row of the installed catalogue,X,0,1\n' >>"$root/share/quorvex/data/Finish.csv"
work="$scratch/work"
mkdir "$work"
env -u QUORVEX_DATA_DIR -u QUORVEX_IMAGES_DIR QT_QPA_PLATFORM=offscreen \
  "$root/bin/glazecalc-cli" --workdir "$work" init >/dev/null
got=$(sqlite3 "$work/Data/Quorvex.db" "select count(*) from Finish where Finish='Installed Copy'")
if [ "$got" != "1" ]; then
  echo "the seeded data folder did not come from the installed catalogue"; exit 1
fi
echo "installed tree works from $root"
