// GoogleTest for Winelib test programs. The Debian library was built for
// Linux; its headers must see Linux too, or they pick Windows code paths
// (and a different class layout) than the compiled library has.
#pragma once
#include "tests/support/posix_macros.h"
#include <gtest/gtest.h>
#include "tests/support/posix_macros_restore.h"
