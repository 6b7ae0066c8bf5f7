// The program as shipped but for its frame wait, which is the timer-then-poll
// wait the sleep replaced: bench/program.py measures the running game's CPU in
// it beside the program's. Linked in place of app/ProgramWaits.cpp.

#include "app/ProgramWaits.h"
#include "bench/MeasuredWaits.h"

frmMain::PumpInFront ProgramPumpInFront() {
    return bench::InFrontOfWindow(bench::FrameWait::TimerThenPoll);
}
