// The printer's calibration values that the demo and the pictures show:
// L = 3 and T = 14 as text replies, S = -10 as a status block.
#pragma once

#include <string>

#include "PrinterEmulator.h"

inline void StandChartValues(CPrinterEmulator& emu)
{
    std::string block(8, '\0');
    block[0] = 2;
    block[5] = static_cast<char>(0xF6);
    emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;1", EmuText("3"));
    emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;2", EmuText("14"));
    emu.SetStanding(EMU_MATCH_EXACT, "Dwz;u;3", EmuBytes(block));
}
