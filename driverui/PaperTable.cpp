// The CR-80 card and the paper bins.
#include "PaperTable.h"

const PaperTableRow PaperTable[] = {
    {600, 549, 857, 0, 648, 1012, L"CR-80", L"CR-80"},
};

const LPCWSTR BinNames[] = {L"Auto Feed", L"Manual Feed"};
