#!/usr/bin/env bash
# Drives the editor on a virtual display as a user would: opens a file holding a base64 body,
# runs File > Import from... > MIME base64 from the keyboard with Import = 1, saves the new
# window with Ctrl+S and compares the saved bytes with the bytes that were encoded.
#   import_base64.sh CYRVERT
# Exits 77 (skipped) when a tool it needs is missing.
set -euo pipefail
bin=$(realpath "${1:?usage: import_base64.sh CYRVERT}")
for tool in xvfb-run xdotool base64 cmp timeout; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Every byte value once (NUL, lone CR and LF among them), then random bytes.
for i in $(seq 0 255); do printf "\\$(printf '%03o' "$i")"; done >"$work/original.bin"
head -c 3000 /dev/urandom >>"$work/original.bin"
base64 -w 76 "$work/original.bin" >"$work/body.txt"
mkdir -p "$work/config/Severion"
printf '[%%General]\nImport=1\nTray=0\nAutoClip=0\n' >"$work/config/Severion/cyrvert.conf"

cat >"$work/drive.sh" <<'DRIVE'
set -euo pipefail
work=$1
bin=$2
export XDG_CONFIG_HOME=$work/config
"$bin" "$work/body.txt" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
wid=$(xdotool search --sync --onlyvisible --name '^cyrvert' | head -n 1)
sleep 1
xdotool windowfocus --sync "$wid"
# File, then New Open Close Save "Save As..." "Import from...", into it, "MIME &base64".
xdotool key --delay 200 alt+f Down Down Down Down Down Right b
sleep 1
# The result window is active and untitled: Save asks for a name.
xdotool key ctrl+s
xdotool search --sync --onlyvisible --name '^Save As' >/dev/null
sleep 0.5
xdotool type --delay 10 "$work/result.txt"
xdotool key Return
want=$(stat -c %s "$work/original.bin")
for _ in $(seq 100); do
  [ -f "$work/result.txt" ] && [ "$(stat -c %s "$work/result.txt")" -ge "$want" ] && break
  sleep 0.1
done
sleep 0.3
DRIVE

timeout -k 5 90 xvfb-run -a -s '-screen 0 1024x768x24' bash "$work/drive.sh" "$work" "$bin"
if cmp "$work/original.bin" "$work/result.txt"; then
  echo "imported window holds the $(stat -c %s "$work/original.bin") encoded bytes exactly"
else
  echo "the saved result differs from the encoded bytes" >&2
  exit 1
fi
