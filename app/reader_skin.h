// The skin package stored with the reader window.
#pragma once
#include <cstdint>
#include <vector>

namespace quorvane::reader {

// The package bytes held in the program's "READERSKIN" resource; empty when
// the program carries none (test programs, for instance).
std::vector<std::uint8_t> StoredSkinPackage();

}  // namespace quorvane::reader
