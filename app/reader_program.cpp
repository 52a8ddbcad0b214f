#include "app/reader_program.h"

#include <cstdio>
#include <utility>

#include "app/startup_trace.h"
#include "framework/host_paths.h"

namespace quorvane {

int RunReaderProgram(ReaderOptions options, const std::string& skinPath)
{
    Application->Initialize();
    TfrmTextToSpeech* reader = nullptr;
    try {
        reader = Application->CreateForm<TfrmTextToSpeech>(std::move(options));
    } catch (...) {
        Application->HandleException(nullptr);
        return 1;
    }
    if (!skinPath.empty()) {
        // Every window takes the package: the main one as it is shown, the
        // others as they open. One that does not load leaves the stored skin.
        reader->SkinData1->SetSkinFile(HostPathToWindows(skinPath));
        if (!reader->SkinData1->SkinFileError().empty())
            std::fprintf(stderr, "quorvane: %s; keeping the current skin\n", reader->SkinData1->SkinFileError().c_str());
    }
    StartupMilestone("created");
    WatchFirstPaint(reader->Handle());
    Application->Run();
    // The forms go while the caller's resources (the progress log) are
    // still there, not during the program's exit-time destruction.
    Application->DestroyForms();
    return 0;
}

}  // namespace quorvane
