#!/usr/bin/env bash
# Builds the Debian package glazecalc_<version>_<arch>.deb in build/ from an
# already built tree (scripts/build.sh), lists what it holds and lets lintian
# look at it. A package that cannot be made fails; lintian's remarks are
# printed, not fatal.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-"$top/build"}
need=()
for p in dpkg-dev file lintian; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
cd "$build"
rm -f glazecalc_*.deb
cpack -G DEB
deb=$(ls glazecalc_*.deb)
echo "== $deb"
dpkg-deb --info "$deb"
contents=$(dpkg-deb --contents "$deb")
echo "$contents"
# Everything the programs need must be inside.
for f in ./usr/bin/glazecalc ./usr/bin/glazecalc-cli ./usr/share/quorvex/data/System.csv \
         ./usr/share/quorvex/Images/Banner.jpg "./usr/share/quorvex/Quorvex User Manual.PDF" \
         ./usr/share/applications/quorvex-glazecalc.desktop; do
  grep -qF " $f" <<<"$contents" || { echo "package lacks $f" >&2; exit 1; }
done
echo "== lintian"
lintian --tag-display-limit 0 --info "$deb" || true
