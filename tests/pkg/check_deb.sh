#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks what apt will see: the files at their
# places, a dependency on the package of every shared library the programs load (from shlibdeps),
# the platform plugin the window needs, and maintainer scripts that reload the udev rules and never
# fail an installation, not even where udev is absent or refuses (containers, chroots).
set -uo pipefail
build=${1:?usage: check_deb.sh BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

if ! cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1
fi
deb=$(ls "$work"/out/*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || { echo "FAIL: cpack made no .deb"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/files"
for f in ./usr/bin/quorvin-setup ./usr/bin/quorvinctl ./usr/bin/quorvin-sim \
         ./usr/lib/udev/rules.d/70-quorvin.rules \
         ./usr/share/applications/io.github.quorvin.Setup.desktop \
         ./usr/share/metainfo/io.github.quorvin.Setup.metainfo.xml \
         ./usr/share/icons/hicolor/16x16/apps/io.github.quorvin.Setup.png \
         ./usr/share/icons/hicolor/scalable/apps/io.github.quorvin.Setup.svg \
         ./usr/share/man/man1/quorvinctl.1.gz ./usr/share/doc/quorvin-setup/copyright; do
  grep -qxF "$f" "$work/files" || fail "package lacks $f"
done

# Every library a program loads must come from a package the .deb depends on.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
names=" $(echo "$depends" | tr ',|' '\n\n' | sed 's/(.*//; s/^ *//; s/ *$//' | tr '\n' ' ') "
dpkg-deb -x "$deb" "$work/root"
needed=$(for b in quorvin-setup quorvinctl quorvin-sim; do
  readelf -d "$work/root/usr/bin/$b" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
done | sort -u)
[ -n "$needed" ] || fail "no shared library found in the programs (readelf missing?)"
for lib in $needed; do
  path=$(ldconfig -p | awk -v l="$lib" '$1 == l {print $NF; exit}')
  [ -n "$path" ] || { fail "$lib is needed but not installed here"; continue; }
  # dpkg knows a library by the path its package ships, which may be either side of the /usr merge.
  pkg=$(dpkg -S "$(readlink -f "$path")" "$path" 2>/dev/null | head -n1 | cut -d: -f1)
  [ -n "$pkg" ] || { fail "no package owns $path"; continue; }
  case $names in *" $pkg "*) ;; *) fail "the programs need $lib from $pkg, which Depends lacks" ;; esac
done
case $names in *" qt6-qpa-plugins "*) ;; *) fail "Depends lacks qt6-qpa-plugins (the window cannot open without it)" ;; esac

# Maintainer scripts, run against a stand-in udevadm that logs its calls and answers as told.
dpkg-deb -e "$deb" "$work/control"
for s in postinst postrm; do
  [ -x "$work/control/$s" ] || fail "$s missing or not executable"
done
mkdir -p "$work/bin"
cat >"$work/bin/udevadm" <<'FAKE'
#!/bin/sh
echo "$*" >>"$UDEV_LOG"
exit "$UDEV_RC"
FAKE
chmod +x "$work/bin/udevadm"
run() {  # run SCRIPT ARG RC: the script's exit status with the stand-in answering RC
  UDEV_LOG=$work/udev.log UDEV_RC=$3 PATH="$work/bin:/usr/bin:/bin" sh "$work/control/$1" "$2" >/dev/null 2>&1
}
: >"$work/udev.log"
run postinst configure 0 || fail "postinst configure failed with a working udevadm"
grep -q '^control --reload-rules' "$work/udev.log" || fail "postinst does not reload the udev rules"
sed -n 2p "$work/udev.log" | grep -q '^trigger' || fail "postinst does not trigger udev after reloading"
: >"$work/udev.log"
run postinst configure 1 || fail "postinst fails the install when udevadm fails"
[ "$(wc -l <"$work/udev.log")" -eq 1 ] || fail "postinst triggers although reloading failed"
PATH=/nonexistent /bin/sh "$work/control/postinst" configure >/dev/null 2>&1 || fail "postinst fails without udevadm"
: >"$work/udev.log"
run postrm remove 1 || fail "postrm fails the removal when udevadm fails"
grep -q '^control --reload-rules' "$work/udev.log" || fail "postrm does not reload the udev rules"

[ "$fails" -eq 0 ] && echo "package ok: $(basename "$deb")" || echo "$fails check(s) failed"
exit $((fails > 0))
