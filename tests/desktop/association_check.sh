#!/bin/sh
# The .txt association on a real (virtual) desktop: install into a temporary prefix, start the
# editor, toggle ".txt association" from the Edit menu by keyboard, check that xdg-mime names
# cyrvert.desktop, then run txtassoc /uninstall and check the old default is back. The old
# default stands in the desktop's own list, which outranks mimeapps.list: the change is made
# there and mimeapps.list is left alone.
#   association_check.sh BUILD_DIR
# Exit 77 (skipped) without xvfb-run, xdotool or xdg-mime.
set -eu
build=$1
for tool in xvfb-run xdotool xdg-mime; do
  command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done

if [ "${CYRVERT_INNER_DISPLAY:-}" != 1 ]; then
  CYRVERT_INNER_DISPLAY=1 exec timeout 150 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
editor_pid=
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# A user of our own: a config folder, and a desktop entry that was the default before.
export HOME="$work/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_DIRS="$work/etc"
export XDG_DATA_DIRS="$prefix/share:/usr/share"
export XDG_RUNTIME_DIR="$work/runtime"
export PATH="$prefix/bin:$PATH"
unset DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID || true
export XDG_CURRENT_DESKTOP=X-Test
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications" "$XDG_CONFIG_DIRS" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_DATA_HOME/applications/oldeditor.desktop" <<'ENTRY'
[Desktop Entry]
Type=Application
Name=Old editor
Exec=true %f
MimeType=text/plain;
ENTRY
sed 's/Old editor/Outranked editor/' "$XDG_DATA_HOME/applications/oldeditor.desktop" \
  >"$XDG_DATA_HOME/applications/outranked.desktop"
list=$XDG_CONFIG_HOME/x-test-mimeapps.list
printf '# kept\n[Default Applications]\ntext/plain=oldeditor.desktop\nimage/png=oldeditor.desktop\n' \
  >"$list"
printf '[Default Applications]\ntext/plain=outranked.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
cp "$XDG_CONFIG_HOME/mimeapps.list" "$work/plain-before"

query() { xdg-mime query default text/plain; }
# Waits up to 10 s for xdg-mime to name $1.
expect_default() {
  for _ in $(seq 50); do
    [ "$(query)" = "$1" ] && return 0
    sleep 0.2
  done
  echo "xdg-mime names '$(query)', expected '$1'"
  cat "$list"
  exit 1
}

expect_default oldeditor.desktop

"$prefix/bin/cyrvert" >"$work/editor.log" 2>&1 &
editor_pid=$!
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$editor_pid" --class cyrvert | head -n 1)
[ -n "$window" ] || { echo "the editor window did not appear"; cat "$work/editor.log"; exit 1; }
xdotool windowfocus --sync "$window"
sleep 0.5
# Alt+E opens the Edit menu on its first item; Up wraps to the last, ".txt association".
xdotool key --clearmodifiers alt+e
sleep 0.5
xdotool key Up
sleep 0.3
xdotool key Return
expect_default cyrvert.desktop
grep -qx '# kept' "$list" || { echo "comment lost"; exit 1; }
grep -q '^\[X-Cyrvert Previous Defaults\]' "$list" ||
  { echo "previous default not stored"; exit 1; }
cmp -s "$XDG_CONFIG_HOME/mimeapps.list" "$work/plain-before" ||
  { echo "the outranked mimeapps.list was changed"; exit 1; }

kill "$editor_pid"
wait "$editor_pid" 2>/dev/null || true
editor_pid=

txtassoc /uninstall
expect_default oldeditor.desktop
grep -qx 'image/png=oldeditor.desktop' "$list" || { echo "other entry lost"; exit 1; }
cmp -s "$XDG_CONFIG_HOME/mimeapps.list" "$work/plain-before" ||
  { echo "the outranked mimeapps.list was changed"; exit 1; }
echo "association taken from the menu and given back by txtassoc"
