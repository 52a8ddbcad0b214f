#!/usr/bin/env bash
# End to end: the reader program on the test display with the espeak-ng voice
# recording to a WAV file. While it runs, an X11 program copies a text
# marked private the way password managers mark it (the target
# x-kde-passwordManagerHint holding "secret", which Wine hands on as a
# clipboard format of that name): the reader logs that it skipped a private
# copy and neither speaks it nor logs any of it. Then the same text is
# offered again without the mark, as Wine has been seen to announce an X11
# copy a second time without it: still private. Then another program
# (xclip) copies a text; the reader speaks it. Checks the recording is not
# silent and the progress log shows the stream's start, its words and its
# end, in that order. Finally the same text is copied again: a copy the user
# makes again is read again.
#   reader_end_to_end_test.sh READER_EXE WORK_DIR X11_CLIPBOARD_TOOL
set -u
reader=$1
work=$2
tool=${3:-}
rm -rf "$work" && mkdir -p "$work"
wav=$work/speech.wav
log=$work/progress.log
text="Quorvane reads this copied sentence aloud."

pid=
clip=
secret=
secret2=
stop_all() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$clip" ] && kill "$clip" 2>/dev/null && wait "$clip" 2>/dev/null
  [ -n "$secret" ] && kill "$secret" 2>/dev/null && wait "$secret" 2>/dev/null
  [ -n "$secret2" ] && kill "$secret2" 2>/dev/null && wait "$secret2" 2>/dev/null
  secret2=
  pid=
  clip=
  secret=
}

fail() {
  stop_all
  echo "FAIL: $*" >&2
  echo "--- progress log:" >&2
  cat "$log" >&2 2>/dev/null
  exit 1
}

# The log from line $from on.
from=1
after() { tail -n "+$from" "$log" 2>/dev/null; }

wait_for() {  # wait_for PATTERN SECONDS
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    after | grep -q "$1" && return 0
    sleep 0.1
  done
  return 1
}

[ -x "$tool" ] || fail "no X11 clipboard tool at '$tool' (libx11-dev missing?)"
QUORVANE_AUDIO="wav:$wav" "$reader" --progress-log "$log" &
pid=$!
wait_for "Checked attributes" 60 || fail "the reader did not start"
from=$(($(wc -l <"$log") + 1))

"$tool" offer "hunter2 is the password" x-kde-passwordManagerHint=secret >"$work/offer.out" 2>&1 &
secret=$!
wait_for "^Private copy skipped" 30 || fail "the private copy was not skipped"
sleep 1.5  # later than any repeat of one announcement
# The same content again, this time without its mark (the first offer ends
# when the second takes the clipboard).
"$tool" offer "hunter2 is the password" >"$work/offer2.out" 2>&1 &
secret2=$!
for ((i = 0; i < 300; i++)); do
  [ "$(after | grep -c "^Private copy skipped")" -ge 2 ] && break
  sleep 0.1
done
[ "$(after | grep -c "^Private copy skipped")" -ge 2 ] || fail "the unmarked announcement of the private copy was not skipped"
sleep 1  # time enough for a stream to start, were the copy spoken
grep -q "hunter2" "$log" && fail "the private copy's text reached the log"
after | grep -q "^OnStartStream: " && fail "the private copy was spoken"
echo "private copy: $(after | grep -c "^Private copy skipped") announcements skipped"
from=$(($(wc -l <"$log") + 1))

printf '%s' "$text" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
clip=$!
# Whatever the clipboard held at start-up may still be ending on a busy
# machine: follow the stream that speaks the copied text's words. Wine's X11
# clipboard may announce one outside copy twice (seen on a fresh prefix): the
# text then starts again at once, so the stream to check is the last one.
wait_for "^OnWord: " 60 || fail "no word spoken after the copy"
stream=$(after | grep -m1 "^OnWord: " | sed 's/^OnWord: stream \([0-9]*\),.*/\1/')
for ((round = 0; round < 5; round++)); do
  wait_for "^OnEndStream: stream $stream," 60 || fail "no end of stream $stream after the copy"
  sleep 1
  latest=$(after | grep "^OnStartStream: " | tail -n 1 | sed 's/^OnStartStream: stream \([0-9]*\),.*/\1/')
  [ "${latest:-0}" -gt "$stream" ] || break
  stream=$latest
done

# The same text copied again, after its reading ended: read again.
first=$stream
kill "$clip" 2>/dev/null && wait "$clip" 2>/dev/null
printf '%s' "$text" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
clip=$!
again=
for ((i = 0; i < 300; i++)); do
  again=$(after | grep "^OnWord: " | tail -n 1 | sed 's/^OnWord: stream \([0-9]*\),.*/\1/')
  [ "${again:-0}" -gt "$first" ] && break
  sleep 0.1
done
[ "${again:-0}" -gt "$first" ] || fail "the same text copied again was not read again"
echo "copied again: stream $again speaks after stream $first"
stop_all

start=$(after | grep -n -m1 "^OnStartStream: stream $stream," | cut -d: -f1)
word=$(after | grep -n -m1 "^OnWord: stream $stream," | cut -d: -f1)
end=$(after | grep -n -m1 "^OnEndStream: stream $stream," | cut -d: -f1)
[ -n "$start" ] && [ -n "$word" ] && [ -n "$end" ] || fail "missing log lines for stream $stream"
[ "$start" -lt "$word" ] && [ "$word" -lt "$end" ] || fail "log lines out of order ($start, $word, $end)"
words=$(after | grep -c "^OnWord: stream $stream,")
[ "$words" -ge 5 ] || fail "only $words word events"

[ -s "$wav" ] || fail "no recording"
amplitude=$(sox "$wav" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
seconds=$(sox "$wav" -n stat 2>&1 | awk '/Length \(seconds\)/ {print $3}')
awk -v a="$amplitude" 'BEGIN { exit !(a > 0.05) }' || fail "recording is silent (maximum amplitude $amplitude)"
echo "recording: $seconds s, maximum amplitude $amplitude, $words word events"
after | grep -m1 "^OnStartStream: stream $stream,"
after | grep -m1 "^OnWord: stream $stream,"
after | grep -m1 "^OnEndStream: stream $stream,"
echo "PASS"
