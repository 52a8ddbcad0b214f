#!/usr/bin/env bash
# The reader program when its voice cannot be had (QUORVANE_VOICES names no
# installed voice, so the espeak-ng service cannot start): it shows one error
# box with the service's message, never opens its window, runs none of its
# start-up sequence, and ends with status 1 once the box is closed.
#   reader_without_voice_test.sh READER_EXE WORK_DIR X11_CLIPBOARD_TOOL
set -u
reader=$1
work=$2
tool=$3
rm -rf "$work" && mkdir -p "$work"
log=$work/progress.log
reader_title='"Quorvane[选中要朗读的文字，按Ctrl+C键或复制菜单项]"'

pid=
fail() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  echo "FAIL: $*" >&2
  echo "--- windows:" >&2
  xwininfo -root -tree 2>/dev/null | grep '"Quorvane' >&2
  exit 1
}
[ -x "$tool" ] || { echo "FAIL: no X11 clipboard tool at $tool (libx11-dev missing?)" >&2; exit 1; }

boxes() { xwininfo -root -tree 2>/dev/null | grep -c '"Quorvane": ("quorvane.exe"'; }

QUORVANE_VOICES=nonesuch "$reader" --progress-log "$log" 2>"$work/stderr" &
pid=$!
for ((i = 0; i < 600; i++)); do
  [ "$(boxes)" -ge 1 ] && break
  kill -0 "$pid" 2>/dev/null || fail "the program ended without a message"
  sleep 0.1
done
[ "$(boxes)" -eq 1 ] || fail "expected one error box, found $(boxes)"
sleep 1
[ "$(boxes)" -eq 1 ] || fail "a second box followed the first"
xwininfo -root -tree 2>/dev/null | grep -qF "$reader_title" && fail "the reader's window opened"
[ -s "$log" ] && fail "the start-up sequence ran: $(head -n 3 "$log")"

"$tool" close Quorvane || fail "could not close the box"
for ((i = 0; i < 100; i++)); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after its box was closed"
wait "$pid"
status=$?
pid=
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
grep -q 'no voice "nonesuch"' "$work/stderr" || fail "the voice service did not say why"
echo "one error box, no window, exit status $status"
echo "PASS"
