// Program entry: initialise the application, create the reader window (its
// components load first, then its start-up sequence runs) and run the
// message loop until the window closes.
//
// Options:
//   --progress-log PATH   mirror every line of the progress log to PATH
//                         ("-" for the standard error stream)
//   --skin PATH           use the skin package PATH instead of the stored one
//   --help                list the options
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "app/reader_program.h"
#include "app/startup_trace.h"
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

constexpr const char* kUsage =
    "usage: quorvane [OPTIONS]\n"
    "  --progress-log PATH   write every line of the progress log to PATH (\"-\": standard error)\n"
    "  --skin PATH           skin every window with the skin package PATH (a Unix or Windows path)\n"
    "  --help                show this list\n";

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    using namespace quorvane;
    StartupMilestone("main");
    ReaderOptions options;
    UniqueFile progressLog;

    std::string skinPath;
    int count = 0;
    if (LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            const std::string option = Argument(arguments, i);
            if (option == "--progress-log" && i + 1 < count) {
                const std::string path = Argument(arguments, ++i);
                progressLog.reset(path == "-" ? stderr : std::fopen(path.c_str(), "w"));
                if (!progressLog) ShowMessageBox(nullptr, "Cannot create file " + path, "Quorvane", MB_OK | MB_ICONSTOP);
            } else if (option == "--skin" && i + 1 < count) {
                skinPath = Argument(arguments, ++i);
            } else if (option == "--help" || option == "-h") {
                std::fputs(kUsage, stdout);
                LocalFree(arguments);
                return 0;
            } else {
                std::fprintf(stderr, "quorvane: unknown option %s (see --help)\n", option.c_str());
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

    const int exitCode = RunReaderProgram(std::move(options), skinPath);
    // Everything the program made is gone by now. Under Wine, a plain return
    // lets the process be killed in its exit-time teardown (measured: exit
    // status 137 whether the window was closed or never opened), so the
    // program ends here with its own exit code.
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    return exitCode;
}
