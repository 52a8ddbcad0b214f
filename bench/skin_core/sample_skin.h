// A synthetic skin of about 230 KB (an INI description plus 24-bit bitmaps
// with gradients, flat transparent areas and a little noise), which packs at
// roughly 3.3:1 like a real skin.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tools/skinpack/package_writer.h"

namespace quorvane {

inline std::vector<uint8_t> SampleBitmap(int width, int height, uint32_t seed, int noise)
{
    std::mt19937 rng(seed);
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t fileSize = static_cast<uint32_t>(54 + stride * height);
    std::vector<uint8_t> bytes(54, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, fileSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, static_cast<uint32_t>(stride * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool transparent = x < 3 || x >= width - 3 || (y + x) % 29 < 4;
            if (transparent) {
                bytes.insert(bytes.end(), {0xFF, 0x00, 0xFF});
                continue;
            }
            // Vertical gradients with a bevelled edge, a little noise.
            const bool edge = x < 5 || x >= width - 5 || y < 2 || y >= height - 2;
            const int jitter = static_cast<int>(rng() % 1000) < noise ? static_cast<int>(rng() % 16) : 0;
            bytes.push_back(static_cast<uint8_t>((edge ? 40 : 90 + y * 2) + jitter));
            bytes.push_back(static_cast<uint8_t>((edge ? 50 : 60 + y) + jitter));
            bytes.push_back(static_cast<uint8_t>((edge ? 70 : 160 - y) + (x / 16) * 2));
        }
        for (int pad = width * 3; pad < stride; ++pad) bytes.push_back(0);
    }
    return bytes;
}

inline std::string SampleIni()
{
    std::string ini = "[Personality]\r\nName=Sample\r\nAuthor=Quorvane bench\r\n\r\n";
    const char* elements[] = {"Buttons", "CheckBox", "Radio", "ScrollBar", "ComboBox", "Edit", "Tab", "Header",
                              "Progress", "TrackBar", "Border0", "Border1", "Border2", "Border3", "Title", "Menu"};
    for (int i = 0; i < 60; ++i) {
        const std::string name = elements[i % 16] + std::to_string(i / 16);
        ini += "[" + name + "]\r\nImage=" + name + ".bmp\r\nFrameCount=" + std::to_string(i % 5 + 1) +
               "\r\nLeftWidth=" + std::to_string(i % 7) + "\r\nTopHeight=" + std::to_string(i % 4) +
               "\r\nRightWidth=" + std::to_string(i % 6) + "\r\nBottomHeight=" + std::to_string(i % 3) +
               "\r\nTile=" + std::to_string(i % 2) + "\r\nTrans=1\r\nColour=$00" + std::to_string(102030 + i * 7) +
               "\r\nNormalColour=0x00" + std::to_string(405060 + i) + "\r\nFont=Tahoma\r\n\r\n";
    }
    return ini;
}

constexpr int kNoise = 220;  // per mille of pixels

inline std::vector<PackageMember> SampleSkin()
{
    const std::string ini = SampleIni();
    std::vector<PackageMember> members = {{"sample.ini", {ini.begin(), ini.end()}}};
    for (int i = 0; i < 16; ++i) {
        members.push_back({"element" + std::to_string(i) + ".bmp", SampleBitmap(88 + i * 4, 40, static_cast<uint32_t>(i), kNoise)});
    }
    return members;
}

}  // namespace quorvane
