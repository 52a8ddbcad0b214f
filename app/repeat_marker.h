// The repeat-reading switch survives a restart as the presence of the file
// "01.ini" beside the executable; its content is never read. Where the
// program's folder cannot be written (a read-only install), the file lives
// in the user's application data folder instead.
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

// The user's application data folder for the reader, "%APPDATA%\Quorvane"
// (not created here); empty when the platform names no such folder.
std::u16string UserSettingsDirectory();

// The marker in its two places: beside the program first, the user's folder
// when the program's folder cannot be written. Repeat reading is on when
// either file exists.
class RepeatMarkerFiles {
public:
    RepeatMarkerFiles() = default;
    RepeatMarkerFiles(std::u16string programDirectory, std::u16string userDirectory);

    bool Exists() const;
    // Writes beside the program; where that fails, in the user's folder
    // (made when missing). Throws std::runtime_error("Cannot create file
    // <path beside the program>") when neither place can be written.
    void Write(const std::string& content);
    // Deletes both files; failures are silent.
    void Delete();

    const std::u16string& ProgramPath() const { return programPath_; }
    const std::u16string& UserPath() const { return userPath_; }

private:
    std::u16string programPath_;
    std::u16string userDirectory_;
    std::u16string userPath_;  // empty: no user folder
};

}  // namespace quorvane::reader
