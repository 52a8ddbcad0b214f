#include "speech/phone_set.h"

#include <cstring>

namespace quorvane {

namespace {

struct PhoneName {
    const char* espeak;
    int id;
};

// espeak-ng's English phoneme mnemonics and the phone each sounds as in
// American English. Ids: 10 aa 11 ae 12 ah 13 ao 14 aw 15 ax 16 ay 17 b 18 ch
// 19 d 20 dh 21 eh 22 er 23 ey 24 f 25 g 26 h 27 ih 28 iy 29 jh 30 k 31 l 32 m
// 33 n 34 ng 35 ow 36 oy 37 p 38 r 39 s 40 sh 41 t 42 th 43 uh 44 uw 45 v 46 w
// 47 y 48 z 49 zh.
constexpr PhoneName kPhones[] = {
    {"a#", 15}, {"a", 11},   {"aa", 11},  {"A:", 10},  {"A@", 10}, {"A", 10},  {"@", 15},  {"@L", 15},
    {"3", 22},  {"3:", 22},  {"V", 12},   {"0", 10},   {"O:", 13}, {"O@", 13}, {"O", 13},  {"aI", 16},
    {"aI@", 16}, {"aI3", 16}, {"aU", 14}, {"aU@", 14}, {"e", 21},  {"e@", 21}, {"E", 21},  {"eI", 23},
    {"i", 28},  {"i:", 28},  {"i@", 28},  {"i@3", 28}, {"I", 27},  {"I#", 27}, {"oU", 35}, {"o@", 35},
    {"o", 35},  {"OI", 36},  {"u:", 44},  {"u", 44},   {"U", 43},  {"U@", 43}, {"b", 17},  {"tS", 18},
    {"d", 19},  {"D", 20},   {"f", 24},   {"g", 25},   {"h", 26},  {"dZ", 29}, {"k", 30},  {"l", 31},
    {"m", 32},  {"n", 33},   {"N", 34},   {"p", 37},   {"r", 38},  {"s", 39},  {"S", 40},  {"t", 41},
    {"T", 42},  {"v", 45},   {"w", 46},   {"j", 47},   {"z", 48},  {"Z", 49},  {"x", 26},  {"X", 26},  {"ts", 39},
    {"y", 44},  {"@r", 22},  {"3r", 22},
};

int Lookup(const std::string& name)
{
    for (const PhoneName& p : kPhones)
        if (name == p.espeak) return p.id;
    return -1;
}

}  // namespace

int PhoneIdFromEspeak(const std::string& name)
{
    if (name.empty() || name[0] == '(') return 0;
    if (name[0] == '_' || name[0] == '?' || name[0] == ';') return kSilencePhoneId;
    int id = Lookup(name);
    if (id > 0) return id;
    // Variants carry marks after the base name ("@2", "t#", "n-", "s.", "i.").
    std::string base = name;
    while (base.size() > 1 && !std::strchr("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ@:3", base.back()))
        base.pop_back();
    if ((id = Lookup(base)) > 0) return id;
    for (size_t n = base.size(); n > 0; --n)
        if ((id = Lookup(base.substr(0, n))) > 0) return id;
    return -1;
}

int VisemeFromPhoneId(int phoneId)
{
    switch (phoneId) {
    case 11: case 15: case 12: return 1;
    case 10: return 2;
    case 13: return 3;
    case 23: case 21: case 43: return 4;
    case 22: return 5;
    case 47: case 28: case 27: return 6;
    case 46: case 44: return 7;
    case 35: return 8;
    case 14: return 9;
    case 36: return 10;
    case 16: return 11;
    case 26: return 12;
    case 38: return 13;
    case 31: return 14;
    case 39: case 48: return 15;
    case 40: case 18: case 29: case 49: return 16;
    case 42: case 20: return 17;
    case 24: case 45: return 18;
    case 19: case 41: case 33: return 19;
    case 30: case 25: case 34: return 20;
    case 37: case 17: case 32: return 21;
    default: return 0;
    }
}

}  // namespace quorvane
