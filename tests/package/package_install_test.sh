#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a throwaway root and runs the programs from there,
# as a technician would after installing it; lintian, where installed, must find no error and no
# warning.
#   package_install_test.sh SOURCE_DIR PACKAGE_BUILD_DIR
set -euo pipefail
src=$1 build=$2
for tool in cpack dpkg-deb dpkg-buildflags dpkg-shlibdeps file help2man rsvg-convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (make package installs it)"; exit 77; }
done

deb=$("$src/scripts/build-package.sh" "$build" "$build" | tail -n 1)
root=$(mktemp -d /tmp/hoistwise-root.XXXXXX)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
fail() { echo "FAIL: $*"; exit 1; }

# Library dependencies come from dpkg-shlibdeps, the fonts from the package's own list.
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6serialport6 libgensio4 libc6 fonts-liberation libmosquitto1; do
  [[ $depends == *"$dep"* ]] || fail "Depends lacks $dep: $depends"
done

cd "$root"
expected=(usr/share/doc/hoistwise-kit/copyright usr/share/doc/hoistwise-kit/changelog.gz
          usr/share/doc/hoistwise-kit/examples/ser2net.yaml usr/share/doc/hoistwise-kit/examples/carwatch.conf
          lib/systemd/system/carwatch.service
          usr/share/metainfo/org.hoistwise.kit.metainfo.xml)
for program in carscope cabtalk runecast iobench cartrace carsim modemsim carwatch carfleet; do
  expected+=(usr/bin/$program usr/share/man/man1/$program.1.gz)
done
for program in carscope cabtalk runecast iobench cartrace carfleet; do
  expected+=(usr/share/applications/org.hoistwise.$program.desktop
             usr/share/icons/hicolor/scalable/apps/org.hoistwise.$program.svg
             usr/share/icons/hicolor/48x48/apps/org.hoistwise.$program.png)
done
for path in "${expected[@]}"; do [ -e "$path" ] || fail "the package lacks /$path"; done
# The simulated adapter library is private to the kit, never on the system library path.
compgen -G "usr/lib/*/hoistwise/libKestrel.so" >/dev/null || fail "no libKestrel.so in the private folder"
! compgen -G "usr/lib/*/libKestrel.so" >/dev/null || fail "libKestrel.so is on the system library path"
# `man -k hoistwise` finds every page by its NAME line.
for page in usr/share/man/man1/*.1.gz; do
  zcat "$page" | grep -A1 '^\.SH NAME' | grep -q hoistwise || fail "the NAME line of $page names no hoistwise"
done

# The programs answer from the unpacked root (Qt comes from the system).
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$root/config"
version=$(dpkg-deb -f "$deb" Version)
out=$(timeout 20 usr/bin/carscope --version) || fail "carscope --version: status $?"
[[ $out == *"$version"* ]] || fail "carscope --version printed '$out', not the package's $version"
out=$(timeout 20 usr/bin/runecast --help) || fail "runecast --help: status $?"
[[ $out == *--version* ]] || fail "runecast --help printed no options: $out"
timeout 20 usr/bin/iobench --list-ports || fail "iobench --list-ports: status $?"

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" || fail "lintian reports errors or warnings"
fi
