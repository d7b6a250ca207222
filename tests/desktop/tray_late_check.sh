#!/usr/bin/env bash
# The tray icon on a real (virtual) X display when the panel starts after the editor: the icon
# appears in it without a visit to Options, and again in a panel that is restarted. (Without a
# window manager nothing minimises, so hiding behind the icon is left to the widget tests.)
#   tray_late_check.sh CYRVERT_BIN
# Exits 77 (skipped) when xvfb-run, xdotool, xwininfo or trayer is missing.
set -euo pipefail
bin=${1:?usage: tray_late_check.sh CYRVERT_BIN}
for tool in xvfb-run xdotool xwininfo trayer timeout; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/check.sh" <<CHECK
#!/usr/bin/env bash
set -euo pipefail
fail() { echo "FAIL: \$*"; exit 1; }
# Waits up to 20 s for "\$@" to succeed.
wait_until() {
  for _ in \$(seq 200); do
    "\$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
visible() { xdotool search --onlyvisible --name '^cyrvert' | grep -q .; }
icon_in_panel() {
  panel=\$(xdotool search --name '^panel\$' | head -n 1)
  [ -n "\$panel" ] && xwininfo -tree -id "\$panel" | grep -q '"cyrvert"'
}
export XDG_CONFIG_HOME="$work/config"
mkdir -p "\$XDG_CONFIG_HOME/Severion"
printf '[%%General]\nTray=1\n' >"\$XDG_CONFIG_HOME/Severion/cyrvert.conf"
pid=
tray=
cleanup() { kill \$tray \$pid 2>/dev/null || true; }
trap cleanup EXIT

"$bin" &
pid=\$!
wait_until visible || fail "no main window"

trayer --edge bottom --height 24 --widthtype request &
tray=\$!
wait_until icon_in_panel || fail "the icon did not come to a panel started after the editor"
echo "ok: icon in a panel started late"

# The panel quits and a new one starts: the icon comes to the new one.
kill \$tray
wait \$tray 2>/dev/null || true
sleep 2
trayer --edge bottom --height 24 --widthtype request &
tray=\$!
wait_until icon_in_panel || fail "the icon did not come back to a restarted panel"
echo "ok: icon in a restarted panel"
CHECK
chmod +x "$work/check.sh"
# -noreset: the server stays up between clients (the editor, trayer, xdotool).
timeout 90 xvfb-run -a -s "-noreset -screen 0 1024x768x24" "$work/check.sh"
