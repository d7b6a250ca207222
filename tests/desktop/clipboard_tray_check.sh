#!/usr/bin/env bash
# The clipboard monitor and the tray icon on a real (virtual) X display: text already on the
# clipboard at start is left alone; KOI8-damaged text copied by another program opens a
# "CyrClip" window whose text, copied back out, is the original; text copied while CyrClip's
# Save As dialog is up waits for the dialog and then replaces it; the icon sits in the tray;
# the tray menu's Exit ends the program.
#   clipboard_tray_check.sh CYRVERT_BIN
# Exits 77 (skipped) when xvfb-run, xclip, xdotool, xwininfo, trayer or python3 is missing.
set -euo pipefail
bin=${1:?usage: clipboard_tray_check.sh CYRVERT_BIN}
for tool in xvfb-run xclip xdotool xwininfo trayer python3 timeout; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin")
sample=$(cd "$(dirname "$0")/../.." && pwd)/tools/sample-ru.txt

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$sample" "$work" <<'PY'
import sys
text = open(sys.argv[1], encoding="utf-8").read()
open(sys.argv[2] + "/original.txt", "w", encoding="utf-8").write(text)
# Text written in KOI8-R and shown as Windows-1251, as a misconfigured mail reader does.
open(sys.argv[2] + "/damaged.txt", "w", encoding="utf-8").write(
    text.encode("koi8-r").decode("cp1251"))
# A second text for the copy made while a dialog is up: the first half.
half = "".join(text.splitlines(keepends=True)[: max(1, len(text.splitlines()) // 2)])
open(sys.argv[2] + "/original2.txt", "w", encoding="utf-8").write(half)
open(sys.argv[2] + "/damaged2.txt", "w", encoding="utf-8").write(
    half.encode("koi8-r").decode("cp1251"))
PY

cat >"$work/check.sh" <<CHECK
#!/usr/bin/env bash
set -euo pipefail
fail() { echo "FAIL: \$*"; exit 1; }
# Waits up to 20 s for a window that "xdotool search ARGS" finds. Polls rather than --sync:
# xdotool gives up on an X error when a window vanishes while it searches.
wait_for() {
  for _ in \$(seq 200); do
    xdotool search "\$@" 2>/dev/null | head -n 1 | grep . && return 0
    sleep 0.1
  done
  return 1
}
export XDG_CONFIG_HOME="$work/config"
mkdir -p "\$XDG_CONFIG_HOME/Severion"
printf '[%%General]\nAutoClip=1\nTray=1\n' >"\$XDG_CONFIG_HOME/Severion/cyrvert.conf"
trayer --edge bottom --height 24 --widthtype request &
tray=\$!
pid=
cleanup() { kill \$tray \$pid 2>/dev/null || true; }
trap cleanup EXIT
sleep 1

printf 'on the clipboard before the start' | xclip -selection clipboard
"$bin" &
pid=\$!
wid=\$(wait_for --onlyvisible --name '^cyrvert') || fail "no main window"
sleep 1
xdotool search --name CyrClip >/dev/null && fail "text on the clipboard at start was decoded"

# The icon: a window of the program embedded in the tray's panel.
panel=\$(xdotool search --name '^panel\$' | head -n 1)
[ -n "\$panel" ] || fail "the tray has no panel"
xwininfo -tree -id "\$panel" | grep -q '"cyrvert"' || fail "no icon in the tray"
echo "ok: icon in the tray"

xclip -selection clipboard -t UTF8_STRING -i "$work/damaged.txt"
wait_for --name 'cyrvert - \[CyrClip\]' >/dev/null || fail "no CyrClip window"
echo "ok: CyrClip window opened"

# Read the repaired text back through the clipboard.
xdotool windowfocus --sync "\$wid" key ctrl+a ctrl+c
sleep 0.5
xclip -o -selection clipboard >"$work/back.txt"
cmp -s "$work/back.txt" "$work/original.txt" || fail "CyrClip does not hold the original text"
echo "ok: CyrClip holds the repaired text"

# Another program copies while CyrClip's Save As dialog is up (a file name to paste into it,
# then a text): CyrClip stays under its dialog, and the latest text replaces it afterwards.
xdotool windowfocus --sync "\$wid" key ctrl+s
wait_for --onlyvisible --name '^Save As' >/dev/null || fail "no Save As dialog"
printf 'letter.txt' | xclip -selection clipboard
sleep 0.5
xclip -selection clipboard -t UTF8_STRING -i "$work/damaged2.txt"
sleep 1.5
kill -0 \$pid 2>/dev/null || fail "the program died while the Save As dialog was up"
xdotool search --onlyvisible --name '^Save As' >/dev/null || fail "the Save As dialog went"
xdotool key Escape
replaced=
for _ in \$(seq 40); do
  sleep 0.5
  kill -0 \$pid 2>/dev/null || fail "the program died after the Save As dialog"
  xdotool windowfocus --sync "\$wid" key ctrl+a ctrl+c
  sleep 0.3
  xclip -o -selection clipboard >"$work/back2.txt" 2>/dev/null || true
  if cmp -s "$work/back2.txt" "$work/original2.txt"; then replaced=1; break; fi
done
[ -n "\$replaced" ] || fail "the text copied during Save As was not decoded after it"
echo "ok: copy during Save As decoded once the dialog closed"

# Exit from the tray menu: the last item.
eval "\$(xdotool getwindowgeometry --shell "\$panel")"
xdotool mousemove \$((X + WIDTH / 2)) \$((Y + HEIGHT / 2)) click 3
sleep 0.5
xdotool key Up Return
timeout 10 tail --pid=\$pid -f /dev/null || fail "Exit in the tray menu did not end the program"
pid=
echo "ok: tray menu Exit"
CHECK
chmod +x "$work/check.sh"
# -noreset: without it the server resets between clients, and the next one can fail to connect.
timeout 110 xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$work/check.sh"
