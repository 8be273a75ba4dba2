#pragma once
// Whether the tests run under Wine. Some tests hold what only this project's
// Wine gives (images rendered by it, faces of its prefix); on Windows they
// skip with the reason.
#include <gtest/gtest.h>

namespace markomi::testing {

// Wine's ntdll exports wine_get_version; Windows' does not.
bool running_under_wine();

}  // namespace markomi::testing

#define MARKOMI2_SKIP_UNLESS_WINE(why)                    \
    if (::markomi::testing::running_under_wine()) {       \
    } else                                                 \
        GTEST_SKIP() << "Wine only: " << why
