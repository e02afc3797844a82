#!/usr/bin/env bash
# Installs the build in $1 into a temporary prefix and checks that the installed program is whole:
# every part in place, every library resolved, and both programs start from an unrelated folder.
set -uo pipefail
build=$1
prefix=$(mktemp -d)
elsewhere=$(mktemp -d)
trap 'rm -rf "$prefix" "$elsewhere"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cmake --install "$build" --prefix "$prefix" >"$elsewhere/install.log" 2>&1 || { cat "$elsewhere/install.log"; bad "cmake --install failed"; exit 1; }

lib=$prefix/lib/korvel
for f in "$lib/korvel" "$lib/korvel-cli" "$lib/help/index.html" "$lib/help/style.css" \
         "$prefix/share/applications/korvel.desktop" "$prefix/share/icons/hicolor/scalable/apps/korvel.svg"; do
  [ -f "$f" ] || bad "missing $f"
done
for p in korvel korvel-cli; do
  [ -L "$prefix/bin/$p" ] || bad "bin/$p is not a link"
  [ "$(readlink -f "$prefix/bin/$p")" = "$(readlink -f "$lib/$p")" ] || bad "bin/$p does not lead to lib/korvel/$p"
done
# Whatever the build holds beside its executables travels along: engines, language files, help.
for f in "$build"/bin/*.so "$build"/bin/*.kvl; do
  [ -e "$f" ] || continue
  [ -f "$lib/$(basename "$f")" ] || bad "$(basename "$f") was built but not installed"
done
(cd "$build/bin/help" && find . -type f) | while read -r f; do
  [ -f "$lib/help/$f" ] || echo "FAIL: help file $f not installed"
done | grep FAIL && fail=1

# Every picture the help page shows was installed with it (pages still to be photographed are
# named here and only reported).
grep -o 'src="[^"]*"' "$lib/help/index.html" | sed 's/src="\(.*\)"/\1/' | while read -r img; do
  [ -f "$lib/help/$img" ] || echo "note: help picture $img not made yet"
done

# Grep with exit status: the desktop entry starts the program by its command name and icon.
grep -qx 'Exec=korvel' "$prefix/share/applications/korvel.desktop" || bad "desktop entry: Exec"
grep -qx 'Icon=korvel' "$prefix/share/applications/korvel.desktop" || bad "desktop entry: Icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/korvel.desktop" || bad "desktop entry invalid"
fi

# Libraries resolve from the installed copy alone (the build folder is out of the way).
for f in "$lib/korvel" "$lib/korvel-cli" "$lib"/*.so; do
  [ -e "$f" ] || continue
  if ldd "$f" | grep -q 'not found'; then
    bad "$(basename "$f"): $(ldd "$f" | grep 'not found' | tr -s ' \t' ' ')"
  fi
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -q "$build"; then
    bad "$(basename "$f") still points into the build folder"
  fi
done

cd "$elsewhere"
out=$(PATH="$prefix/bin:$PATH" korvel-cli help 2>&1) || bad "korvel-cli help failed: $out"
echo "$out" | grep -q '^usage: korvel-cli' || bad "korvel-cli help printed: $out"

# The window program starts from here and keeps running until stopped.
PATH="$prefix/bin:$PATH" timeout 5 korvel >"$elsewhere/korvel.log" 2>&1
rc=$?
[ $rc -eq 124 ] || { cat "$elsewhere/korvel.log"; bad "korvel ended by itself at start (exit $rc)"; }

[ $fail -eq 0 ] && echo "installed program is whole"
exit $fail
