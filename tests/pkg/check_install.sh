#!/usr/bin/env bash
# Installs the build into a scratch root under /usr, as the package does, and checks that every file
# lands where the desktop, the icon theme, man and udev look for it; that the desktop entry and the
# AppStream data validate and point at the installed program and icon; and that the installed
# terminal tool runs from there.
set -uo pipefail
build=${1:?usage: check_install.sh BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
usr=$root/usr
id=io.github.quorvin.Setup
fails=0
fail() { echo "FAIL: $*"; fails=$((fails + 1)); }

for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool not found (scripts/install-deps installs it)"; exit 1; }
done
if ! DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1; then
  cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1
fi

# Programs, and the rule udev reads for /usr (it does not look in the multiarch library dir).
for b in quorvin-setup quorvinctl quorvin-sim; do
  [ -x "$usr/bin/$b" ] || fail "usr/bin/$b missing or not executable"
done
rule=$usr/lib/udev/rules.d/70-quorvin.rules
if [ -f "$rule" ]; then
  for want in 0483 1234 uaccess hidraw; do
    grep -q "$want" "$rule" || fail "udev rule does not mention $want"
  done
else
  fail "usr/lib/udev/rules.d/70-quorvin.rules missing"
fi

# Desktop entry: valid, translated, and naming what was installed.
desktop=$usr/share/applications/$id.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate $id.desktop"
  for key in 'Name\[zh_CN\]' 'Comment\[zh_CN\]'; do
    grep -q "^$key=" "$desktop" || fail "desktop entry lacks $key"
  done
  exec_prog=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ -x "$usr/bin/$exec_prog" ] || fail "Exec=$exec_prog is not an installed program"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [ "$icon" = "$id" ] || fail "Icon=$icon, expected $id"
else
  fail "usr/share/applications/$id.desktop missing"
fi

# AppStream: the file alone, then the tree (which also finds the desktop entry it launches).
meta=$usr/share/metainfo/$id.metainfo.xml
if [ -f "$meta" ]; then
  appstreamcli validate --no-net "$meta" || fail "appstreamcli validate"
  appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" || fail "metainfo launchable is not $id.desktop"
else
  fail "usr/share/metainfo/$id.metainfo.xml missing"
fi

# Icons: every size where the theme looks, and each PNG really that size.
for s in 16 24 32 48 64 128 256; do
  png=$usr/share/icons/hicolor/${s}x${s}/apps/$id.png
  if [ ! -f "$png" ]; then fail "icon ${s}x${s} missing"; continue; fi
  magic=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
  [ "$magic" = 89504e470d0a1a0a ] || { fail "icon ${s}x${s} is not a PNG"; continue; }
  read -r w h < <(od -An -tu4 --endian=big -j16 -N8 "$png")
  [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "icon in ${s}x${s} is ${w}x${h}"
done
[ -f "$usr/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "scalable icon missing"

# Man page: present, intact, and rendering without warnings where man is installed.
man=$(ls "$usr"/share/man/man1/quorvinctl.1* 2>/dev/null | head -n1)
if [ -z "$man" ]; then
  fail "usr/share/man/man1/quorvinctl.1* missing"
else
  case $man in *.gz) gzip -t "$man" || fail "man page archive is damaged" ;; esac
  if command -v man >/dev/null; then
    warn=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man" 2>&1 >/dev/null)
    [ -z "$warn" ] || fail "man page warnings: $warn"
  else
    echo "note: man not installed, page not rendered"
  fi
fi

# The installed terminal tool starts from its installed place (no path into the build tree).
if "$usr/bin/quorvinctl" --help >"$work/help.txt" 2>&1; then
  grep -q '^usage: quorvinctl' "$work/help.txt" || fail "installed quorvinctl --help printed no usage"
else
  fail "installed quorvinctl --help exited $?"
fi

[ "$fails" -eq 0 ] && echo "install layout ok" || echo "$fails check(s) failed"
exit $((fails > 0))
