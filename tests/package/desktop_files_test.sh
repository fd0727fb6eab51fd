#!/usr/bin/env bash
# The menu entries and the AppStream file pass their validators (where those are installed), and
# every entry's icon exists.
set -euo pipefail
dir=$1
validated=0
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$dir"/*.desktop
  validated=1
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$dir"/*.metainfo.xml
  validated=1
fi
for entry in "$dir"/*.desktop; do
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$dir/icons/$icon.svg" ] || { echo "$entry: no icon $icon.svg"; exit 1; }
done
[ "$validated" = 1 ] || { echo "SKIP: neither desktop-file-validate nor appstreamcli is installed"; exit 77; }
