// The reader program once its command line is read.
#pragma once
#include <string>

#include "app/text_to_speech_form.h"

namespace quorvane {

// Initialises the application, creates the reader window (its components
// load first, then its start-up sequence runs) and runs the message loop
// until the window closes; returns the exit code. When the window cannot
// load (no voice service), its error is shown once in the standard error box
// and the program ends with 1 before the window opens. skinPath (a Unix or
// Windows path, may be empty) names a skin package that replaces the stored
// one; one that does not load is reported on stderr and changes nothing.
int RunReaderProgram(ReaderOptions options, const std::string& skinPath = {});

}  // namespace quorvane
