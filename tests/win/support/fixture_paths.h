#pragma once
// Where a test program finds its fixtures and the programs it drives. In the
// build tree they are at paths compiled in (Z:\... as Wine sees the Linux
// tree). In the Windows test bundle (scripts/package) they lie beside the
// test programs: run-tests.cmd names that folder in MARKOMI2_TEST_ROOT, and
// a bundled program that is started by hand looks beside itself.
#include <string>

namespace markomi::testing {

// `bundled` is the fixture's path inside the bundle, e.g. L"golden" or
// L"Markomi2.exe". MARKOMI2_TEST_ROOT\bundled when that variable is set;
// else `compiled_in` when it exists; else <this program's folder>\bundled.
std::wstring fixture_path(const wchar_t* compiled_in, const wchar_t* bundled);

}  // namespace markomi::testing
