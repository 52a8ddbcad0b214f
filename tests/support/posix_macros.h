// Hides the Windows target macros that wineg++ defines, so that a library
// header included between hide and restore sees the POSIX system it really
// runs on. Include only through gtest.h and benchmark.h.
#pragma push_macro("_WIN32")
#pragma push_macro("_WIN64")
#pragma push_macro("WIN32")
#pragma push_macro("WIN64")
#pragma push_macro("__WIN32")
#pragma push_macro("__WIN32__")
#pragma push_macro("__WIN64")
#pragma push_macro("__WIN64__")
#pragma push_macro("__WINNT")
#pragma push_macro("__WINNT__")
#undef _WIN32
#undef _WIN64
#undef WIN32
#undef WIN64
#undef __WIN32
#undef __WIN32__
#undef __WIN64
#undef __WIN64__
#undef __WINNT
#undef __WINNT__
