#include "app/reader_program.h"

#include <utility>

namespace quorvane {

int RunReaderProgram(ReaderOptions options)
{
    Application->Initialize();
    try {
        Application->CreateForm<TfrmTextToSpeech>(std::move(options));
    } catch (...) {
        Application->HandleException(nullptr);
        return 1;
    }
    Application->Run();
    // The forms go while the caller's resources (the progress log) are
    // still there, not during the program's exit-time destruction.
    Application->DestroyForms();
    return 0;
}

}  // namespace quorvane
