#pragma once
// Start to ready: from starting Markomi2.exe in resident mode until its
// notification icon is there, against a bare program that creates one window
// and ends (markomi2_bare_window.exe). Both programs are looked for beside
// the bench.
#include <string>

namespace markomi::bench {

struct StartToReady {
    bool measured = false;
    std::wstring not_measured_because;  // when !measured
    int runs = 0;
    double bare_ms = 0;   // median, start to end of the bare program
    double ready_ms = 0;  // median, start to the icon of the stamp program
};

// Starts each program `runs` times (after one start of each that is not
// counted), alternating. The stamp program runs with settings of its own:
// the user's settings folder is moved aside for the time and put back.
// Nothing is measured while a copy of the stamp program runs, since a new
// copy would end it.
StartToReady measure_start_to_ready(int runs);

}  // namespace markomi::bench
