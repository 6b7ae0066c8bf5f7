#pragma once
// The pump the program's play window puts in front of its own: none, here
// (ProgramWaits.cpp). The benchmarks build the program once more with a
// definition of their own, to measure another frame wait in the whole program.

#include "app/frmMain.h"

frmMain::PumpInFront ProgramPumpInFront();
