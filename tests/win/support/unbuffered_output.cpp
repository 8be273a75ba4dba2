// Test programs write their output unbuffered: a program that dies under
// Wine then still shows how far it got, where a buffered one shows nothing.
#include <cstdio>

namespace {

const bool g_unbuffered = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return true;
}();

}  // namespace
