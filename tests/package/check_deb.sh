#!/bin/sh
# Builds the Debian package from a built tree and checks what it holds: the program and its
# helper (and not the helper's test build), the desktop entry with its file types, the MIME
# description, the icons, the AppStream file, the manual pages and the documentation,
# compressed where Debian compresses them.
#   check_deb.sh BUILD_DIR [--lintian]
# With --lintian, also runs lintian on the package and fails on any error it reports.
set -eu
build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT INT TERM

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/moravel_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$out/list"

fail=0
for f in \
    /usr/bin/moravel \
    /usr/bin/moravel-run \
    /usr/lib/moravel/moravel-formats.so \
    /usr/libexec/moravel/moravel-reader \
    /usr/share/applications/moravel.desktop \
    /usr/share/mime/packages/moravel.xml \
    /usr/share/metainfo/moravel.metainfo.xml \
    /usr/share/icons/hicolor/32x32/apps/moravel.png \
    /usr/share/icons/hicolor/48x48/apps/moravel.png \
    /usr/share/icons/hicolor/64x64/apps/moravel.png \
    /usr/share/icons/hicolor/128x128/apps/moravel.png \
    /usr/share/icons/hicolor/256x256/apps/moravel.png \
    /usr/share/icons/hicolor/scalable/apps/moravel.svg \
    /usr/share/man/man1/moravel.1.gz \
    /usr/share/man/pl/man1/moravel.1.gz \
    /usr/share/man/man1/moravel-run.1.gz \
    /usr/share/man/pl/man1/moravel-run.1.gz \
    /usr/share/doc/moravel/examples/zlewnia.kpr \
    /usr/share/doc/moravel/examples/cluster/submit.sh \
    /usr/share/doc/moravel/copyright \
    /usr/share/doc/moravel/changelog.gz; do
  grep -qx "$f" "$out/list" || { echo "missing in the package: $f"; fail=1; }
done

# The helper's test build (with switches that make it fail on purpose) stays in the build tree.
if grep -q 'moravel-reader-test' "$out/list"; then echo "test build of the helper in the package"; fail=1; fi

dpkg-deb -x "$deb" "$out/root"
for gz in usr/share/man/man1/moravel.1.gz usr/share/man/pl/man1/moravel.1.gz usr/share/man/man1/moravel-run.1.gz \
    usr/share/man/pl/man1/moravel-run.1.gz usr/share/doc/moravel/changelog.gz; do
  gzip -t "$out/root/$gz" || { echo "not gzip: $gz"; fail=1; }
done
grep -q '^Exec=moravel %F$' "$out/root/usr/share/applications/moravel.desktop" || { echo "desktop entry passes no file"; fail=1; }
for t in project rainfall scs parameters; do
  grep -q "application/x-moravel-$t;" "$out/root/usr/share/applications/moravel.desktop" || { echo "desktop entry lacks $t"; fail=1; }
  grep -q "type=\"application/x-moravel-$t\"" "$out/root/usr/share/mime/packages/moravel.xml" || { echo "MIME lacks $t"; fail=1; }
done
for ext in kpr kwp kws kwx; do
  grep -q "pattern=\"\*.$ext\"" "$out/root/usr/share/mime/packages/moravel.xml" || { echo "MIME lacks *.$ext"; fail=1; }
done
for size in 48 64 128 256; do
  png="$out/root/usr/share/icons/hicolor/${size}x${size}/apps/moravel.png"
  # PNG width and height: big-endian words at bytes 16 and 20.
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || { echo "icon ${size}: $dims"; fail=1; }
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6svg6' || { echo "no dependency on Qt SVG"; fail=1; }
dpkg-deb -f "$deb" Depends | grep -q 'libnetcdf' || { echo "no dependency on libnetcdf"; fail=1; }
# moravel-run needs no display: it links no Qt Widgets or GUI.
if objdump -p "$out/root/usr/bin/moravel-run" | grep -E 'NEEDED +libQt6(Widgets|Gui)'; then
  echo "moravel-run links Qt Widgets or Gui"
  fail=1
fi
dpkg-deb -f "$deb" Depends | grep -q 'libnlopt-cxx0' || { echo "no dependency on NLopt"; fail=1; }
# Its start-up loads no NetCDF or workbook library (a shard's cost): they come with the formats
# module, which the installed program finds beside it and loads for a NetCDF file.
if objdump -p "$out/root/usr/bin/moravel-run" | grep -E 'NEEDED +lib(netcdf|xlsxwriter)'; then
  echo "moravel-run loads NetCDF or the workbook library at start"
  fail=1
fi
examples="$out/root/usr/share/doc/moravel/examples"
if ! "$out/root/usr/bin/moravel-run" "$examples/zlewnia.kpr" --separator , --seed 1 --series 3 --out "$out/s.csv" \
    --hydrographs "$out/h.nc" --quiet || ! [ -s "$out/h.nc" ]; then
  echo "the installed moravel-run writes no NetCDF file"
  fail=1
fi

if [ "${2:-}" = "--lintian" ]; then
  lintian --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1 || true
  cat "$out/lintian.log"
  if grep -q '^E:' "$out/lintian.log"; then
    echo "lintian reports errors"
    fail=1
  fi
fi
exit $fail
