#include "app/ProgramWaits.h"

frmMain::PumpInFront ProgramPumpInFront() {
    return {};
}
