#include <windows.h>

#include <cstdio>

#include "tests/support/gtest.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Leave without running exit-time destructors: under Wine a message call
    // made while the process exits (a global's destructor draining its queue,
    // say) resets the exit code to 0, and ctest would count a failed suite
    // as passed.
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
