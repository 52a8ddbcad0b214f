// Text helpers around ReadMandarin: the citation pinyin of a line as printed
// by `speak --pinyin`, UTF-8 to UTF-16 without the platform, and the
// annotated sentences the polyphone measurements read.
#pragma once

#include <string>
#include <string_view>

namespace quorvane::frontend {

// UTF-8 to UTF-16; a malformed byte becomes U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);

// One token per Han character of `text`, in order, separated by single
// spaces: its citation pinyin with a tone digit 1-5 (5 neutral, ü as "u:"),
// e.g. "yin2 hang2". Empty when the text has no Han character.
std::string PinyinLine(std::u16string_view text);

// The tonal citation pinyin ("hang2") of the Han character at UTF-16 index
// `position` of `text`, read in its context; empty when there is none there.
std::string PinyinOfCharacterAt(std::u16string_view text, int position);

// A sentence with one character between two U+2581 marks ("银▁行▁"): the
// sentence without the marks and the UTF-16 index of that character.
bool PolyphoneSentence(std::string_view annotated, std::string* text, int* position);

// A reading as annotated ("lv4", "nü3", "lu:4", " le5\r") in the form
// PinyinOfCharacterAt gives ("lu:4").
std::string NormalizeLabel(std::string_view label);

}  // namespace quorvane::frontend
