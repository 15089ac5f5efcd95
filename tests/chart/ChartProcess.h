// CChartProcess: one run of the real QelChart.exe for a black-box test.
#pragma once

#include "ProgramRun.h"

class CChartProcess : public CProgramRun {
public:
    CChartProcess() : CProgramRun(L"QelChart.exe") {}
};
