#!/usr/bin/env bash
# `speak --pinyin` as a user runs it: UTF-8 lines on standard input (with
# LF or CR LF endings, blank lines and lines without Han characters), one
# line of citation pinyin per input line on standard output, nothing else.
#   speak_pinyin_test.sh SPEAK_EXE
set -u
speak=$1
expected=$'yin2 hang2\nyin1 yue4 shui4 jiao4\n\n\nwo3 yong4 dian4 nao3\nnu:3 er2 lu:4 se4\nyin2 hang2 de5 hang2 zhang3'
actual=$(printf '银行\r\n音乐，睡觉\n\nhello world\n我用Windows电脑\n女儿绿色\n銀行的行長' | QUORVANE_AUDIO=null "$speak" --pinyin)
status=$?
if [ $status -ne 0 ]; then
  echo "FAIL: speak --pinyin ended with status $status" >&2
  exit 1
fi
if [ "$actual" != "$expected" ]; then
  echo "FAIL: speak --pinyin printed:" >&2
  printf '%s\n' "$actual" | od -c | head -20 >&2
  echo "expected:" >&2
  printf '%s\n' "$expected" >&2
  exit 1
fi
echo "speak --pinyin: 7 lines as expected"
