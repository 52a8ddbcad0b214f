// The repeat-reading switch survives a restart as the presence of the file
// "01.ini" beside the executable; its content is never read.
#pragma once
#include <string>

namespace quorvane::reader {

// Directory of the running executable, without a trailing separator (UTF-16).
std::u16string ExecutableDirectory();

// directory + "\01.ini".
std::u16string MarkerPath(const std::u16string& directory);

bool MarkerExists(const std::u16string& path);

// Creates or truncates the file and writes `content` (UTF-8, normally empty).
// Throws std::runtime_error("Cannot create file <path>") when it cannot.
void WriteMarker(const std::u16string& path, const std::string& content);

// Deletes the file if it exists; a failure is silent.
void DeleteMarker(const std::u16string& path);

}  // namespace quorvane::reader
