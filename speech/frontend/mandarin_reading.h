// Mandarin readings of Han text: word segmentation over a pronunciation
// dictionary, context rules for polyphonic characters, neutral tones and tone
// sandhi. Pure C++ (no window or Wine dependency); the dictionary is built from
// packaged data at build time and loaded on first use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvane::frontend {

struct MandarinSyllable {
    int position = 0;        // UTF-16 index of the Han character in the text read
    std::string pinyin;      // toneless, lower case; ü is written "u:" (lu:, nu:e)
    int tone = 5;            // citation tone: 1-4, 5 neutral
    int spokenTone = 5;      // the tone as spoken, after sandhi (一, 不, third tones)
    bool wordStart = false;  // first syllable of a segmented word
};

// One syllable per Han character of `text`, in order. Simplified and
// traditional characters read alike. Characters that are not Han are context
// only: they separate words and are not returned. Thread-safe.
std::vector<MandarinSyllable> ReadMandarin(std::u16string_view text);

// Han ideographs (the unified blocks, their extensions and compatibility forms)
// as one code point.
bool IsHan(char32_t codePoint);

}  // namespace quorvane::frontend
