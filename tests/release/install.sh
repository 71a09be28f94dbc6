#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the desktop integration there: the program,
# the desktop entry, the AppStream metainfo, the hicolor icons and the man page.
#   install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1"
source="$2"
id=io.github.pelloro.Pelloro
prefix="$(mktemp -d "${TMPDIR:-/tmp}"/pelloro-install.XXXXXX)"
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/pelloro share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/man/man6/pelloro.6 \
            share/icons/hicolor/32x32/apps/$id.png share/icons/hicolor/64x64/apps/$id.png \
            share/icons/hicolor/128x128/apps/$id.png; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[ -x "$prefix/bin/pelloro" ] || fail "bin/pelloro is not executable"
"$prefix/bin/pelloro" --version | grep -q '^pelloro [0-9]' || fail "the installed program does not print its version"

# Each icon is a PNG of the size its folder names: the signature, then IHDR's width and height.
for size in 32 64 128; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
  [ -f "$png" ] || continue
  header="$(od -An -tx1 -N24 "$png" | tr -d ' \n')"
  [ "${header:0:16}" = "89504e470d0a1a0a" ] || fail "$png is not a PNG"
  expect="$(printf '%08x%08x' "$size" "$size")"
  [ "${header:32:16}" = "$expect" ] || fail "$png is not ${size}x${size}"
done

desktop="$prefix/share/applications/$id.desktop"
if [ -f "$desktop" ]; then
  for line in "Name=Pelloro" "Exec=pelloro" "Categories=Game;ArcadeGame;" "Icon=$id" "Type=Application" \
    "StartupWMClass=$id"; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry lacks '$line'"
  done
fi

skipped=()
if command -v desktop-file-validate >/dev/null; then
  out="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  skipped+=("desktop-file-validate (package desktop-file-utils) is missing")
fi
if command -v appstreamcli >/dev/null; then
  # --strict: a warning fails too, since a software centre may drop an entry that has one.
  out="$(appstreamcli validate --strict --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1)" || fail "appstreamcli: $out"
else
  skipped+=("appstreamcli (package appstream) is missing")
fi
# The metainfo names the desktop entry that is installed beside it.
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo does not launch $id.desktop"

# The software centre shows this release, under the licence the tree carries.
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
version="$("$prefix/bin/pelloro" --version | awk '{ print $2; exit }')"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" ||
  fail "the metainfo has no dated <release> for version $version"
if head -n1 "$source/LICENSE" 2>/dev/null | grep -q '^MIT License$'; then
  grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "the metainfo does not name the MIT licence of LICENSE"
else
  fail "LICENSE is missing or is not the MIT licence the metainfo and debian/copyright name"
fi

# The man page renders without a warning and documents every option that --help lists.
if command -v groff >/dev/null; then
  warnings="$(groff -man -Tutf8 -ww -z "$prefix/share/man/man6/pelloro.6" 2>&1)"
  [ -z "$warnings" ] || fail "groff: $warnings"
  page="$(groff -man -Tascii -P-cbou "$prefix/share/man/man6/pelloro.6" 2>/dev/null)"
  for option in $("$prefix/bin/pelloro" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "$option" <<<"$page" || fail "the man page does not document $option"
  done
  for word in PELLORO_SOUNDFONT SDL_VIDEODRIVER SDL_AUDIODRIVER F11 "EXIT STATUS"; do
    grep -qF -- "$word" <<<"$page" || fail "the man page does not mention $word"
  done
else
  skipped+=("groff (package groff-base) is missing")
fi

for s in "${skipped[@]}"; do echo "SKIPPED: $s" >&2; done
if [ "$failures" -gt 0 ]; then
  echo "install: $failures failure(s)" >&2
  exit 1
fi
echo "install: the installed tree in a scratch prefix passed every check"
