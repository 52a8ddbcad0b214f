// Program entry: initialise the application, create the reader window (its
// components load first, then its start-up sequence runs) and run the
// message loop until the window closes.
//
// Options:
//   --progress-log PATH   mirror every line of the progress log to PATH
//                         ("-" for the standard error stream)
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "app/reader_program.h"
#include "framework/message_box.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const
    {
        if (file && file != stderr) std::fclose(file);
    }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

std::string Argument(LPWSTR* arguments, int index)
{
    return quorvane::Utf16ToUtf8(arguments[index]);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    using namespace quorvane;
    ReaderOptions options;
    UniqueFile progressLog;

    int count = 0;
    if (LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            if (Argument(arguments, i) == "--progress-log" && i + 1 < count) {
                const std::string path = Argument(arguments, ++i);
                progressLog.reset(path == "-" ? stderr : std::fopen(path.c_str(), "w"));
                if (!progressLog) ShowMessageBox(nullptr, "Cannot create file " + path, "Quorvane", MB_OK | MB_ICONSTOP);
            }
        }
        LocalFree(arguments);
    }
    if (progressLog) {
        std::FILE* file = progressLog.get();
        options.progressSink = [file](const std::string& line) {
            std::fputs(line.c_str(), file);
            std::fputc('\n', file);
            std::fflush(file);
        };
    }

    const int exitCode = RunReaderProgram(std::move(options));
    // Everything the program made is gone by now. Under Wine, a plain return
    // lets the process be killed in its exit-time teardown (measured: exit
    // status 137 whether the window was closed or never opened), so the
    // program ends here with its own exit code.
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    return exitCode;
}
