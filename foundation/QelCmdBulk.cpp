#include "QelCmd.h"

#include "ModelTable.h"
#include "Platform.h"
#include "Utilities.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

// Lengths go out as decimal text of at most seven characters.
const DWORD kLargestBulkLength = 9999999;
const DWORD kParamRoom = QEL_BULK_PARAM_MAX + 1;

// Stands in for the data of an empty block, so that the exchange still waits
// for the printer's "OK" before it sends nothing.
const BYTE kNoData = 0;

// Heating-table slots in the order they are sent; slot 5 goes out twice.
const LPCSTR kSlotNames[] = {"y", "m", "c", "k", "o", "rw", "re"};
const DWORD kRewriteSlot = 5;

struct EnergyStep {
    LPCSTR command;
    LPCSTR panel;
    DWORD entry;
};

const EnergyStep kRewriteEnergies[] = {
    {"Snl", "rw", 24}, {"Snl", "re", 25}, {"Snl", "rw2", 24},
    {"Sgk", "rwb", 26}, {"Sgk", "reb", 27}, {"Sgk", "rw2b", 26},
};
const EnergyStep kResinEnergies[] = {
    {"Snl", "k", 3}, {"Snl", "kb", 7}, {"Sgk", "k", 11}, {"Sgk", "kb", 15},
};
const EnergyStep kColourEnergies[] = {
    {"Snl", "y", 0},   {"Snl", "m", 0},   {"Snl", "c", 0},   {"Snl", "k", 1},   {"Snl", "o", 2},
    {"Snl", "yb", 4},  {"Snl", "mb", 4},  {"Snl", "cb", 4},  {"Snl", "kb", 5},  {"Snl", "ob", 6},
    {"Sgk", "y", 8},   {"Sgk", "m", 8},   {"Sgk", "c", 8},   {"Sgk", "k", 9},   {"Sgk", "o", 10},
    {"Sgk", "yb", 12}, {"Sgk", "mb", 12}, {"Sgk", "cb", 12}, {"Sgk", "kb", 13}, {"Sgk", "ob", 14},
};

// "%d" of value into out (kParamRoom bytes); false when it needs more than
// seven characters.
bool FormatNumberParam(char* out, int value)
{
    int needed = snprintf(out, kParamRoom, "%d", value);
    return needed > 0 && static_cast<DWORD>(needed) <= QEL_BULK_PARAM_MAX;
}

bool FormatLengthParam(char* out, DWORD length)
{
    return length <= kLargestBulkLength && FormatNumberParam(out, static_cast<int>(length));
}

bool IsNameParam(LPCSTR name)
{
    return name && name[0] && strlen(name) <= QEL_BULK_PARAM_MAX;
}

// The module this code is linked into: the heating-table resources are
// built into the same library.
HMODULE OwnModule()
{
    HMODULE module = NULL;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&kNoData), &module))
        return NULL;
    return module;
}

} // namespace

DWORD CQelCmd::SendFirmwareData(char kind, const BYTE* data, DWORD length)
{
    char lengthText[kParamRoom];
    char kindText[2] = {kind, '\0'};
    if ((!data && length != 0) || !FormatLengthParam(lengthText, length)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }

    DWORD result = DoCommand("Xrt", lengthText, kindText, NULL, NULL, data ? data : &kNoData, length);
    WriteLog(1, L"==>SendFirmwareData(%c):: return = %d, m_dwRecvResponse = %d,\n\n", kind, result, m_dwRecvResponse);
    return result;
}

DWORD CQelCmd::SendHeatingTable(LPCSTR name, const BYTE* data, DWORD length)
{
    char lengthText[kParamRoom];
    WCHAR nameW[kParamRoom];
    if ((!data && length != 0) || !IsNameParam(name) || !FormatLengthParam(lengthText, length)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }

    DWORD result = DoCommand("Xcb", lengthText, "a", name, NULL, data ? data : &kNoData, length);
    if (!AnsiToWide(nameW, name, kParamRoom))
        nameW[0] = L'\0';
    WriteLog(1, L"==>SendHeatingTable(%ls):: return = %d, m_dwRecvResponse = %d,\n\n", nameW, result, m_dwRecvResponse);
    return result;
}

DWORD CQelCmd::SendHeatingTables()
{
    DWORD result = ERROR_SUCCESS;
    for (DWORD slot = 0; slot < sizeof(kSlotNames) / sizeof(kSlotNames[0]); ++slot) {
        BYTE* table = m_HeatingTable.pTable[slot];
        if (!table)
            continue;
        DWORD length = m_HeatingTable.dwLength[slot];
        result = SendHeatingTable(kSlotNames[slot], table, length);
        if (result == ERROR_SUCCESS && slot == kRewriteSlot)
            result = SendHeatingTable("rw2", table, length);
        if (result != ERROR_SUCCESS)
            break;
    }
    return result;
}

DWORD CQelCmd::SendPrintData(BYTE flag, LPCSTR panel, DWORD first, DWORD second, const BYTE* data, DWORD length)
{
    char lengthText[kParamRoom], firstText[kParamRoom], secondText[kParamRoom];
    WCHAR panelW[kParamRoom];
    if ((!data && length != 0) || !IsNameParam(panel) || !FormatLengthParam(lengthText, length) ||
        !FormatNumberParam(firstText, static_cast<int>(first)) ||
        !FormatNumberParam(secondText, static_cast<int>(second))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }

    DWORD result = DoCommand(flag ? "Xzlb" : "Xzl", lengthText, panel, firstText, secondText, data ? data : &kNoData,
                             length);
    if (!AnsiToWide(panelW, panel, kParamRoom))
        panelW[0] = L'\0';
    WriteLog(1, L"==>SendPrintData(%ls):: return = %d, m_dwRecvResponse = %d,\n\n", panelW, result, m_dwRecvResponse);
    return result;
}

void CQelCmd::SetEnergyTable(const BYTE values[32])
{
    if (values)
        memcpy(m_EnergyTable.value, values, sizeof(m_EnergyTable.value));
}

DWORD CQelCmd::SendPrintingEnergy(signed char kind)
{
    const EnergyStep* steps = kColourEnergies;
    size_t count = sizeof(kColourEnergies) / sizeof(kColourEnergies[0]);
    if (kind == -1) {
        steps = kRewriteEnergies;
        count = sizeof(kRewriteEnergies) / sizeof(kRewriteEnergies[0]);
    } else if (kind == 1) {
        steps = kResinEnergies;
        count = sizeof(kResinEnergies) / sizeof(kResinEnergies[0]);
    }

    // Every setting is sent even after a failure; the first failure is reported.
    DWORD savedError = GetLastError();
    DWORD first = ERROR_SUCCESS;
    for (size_t i = 0; i < count; ++i) {
        char value[kParamRoom];
        FormatNumberParam(value, m_EnergyTable.value[steps[i].entry]);
        KeepFirstFailure(&first, DoCommand(steps[i].command, steps[i].panel, "=", value));
    }
    WriteLog(1, L"==>SendPrintingEnergy():: return = %d, m_dwRecvResponse = %d,\n\n", first, m_dwRecvResponse);
    SetLastError(first == ERROR_SUCCESS ? savedError : first);
    return first;
}

void CQelCmd::SetHeatingTableName(const LPCWSTR names[QEL_HEATING_SLOTS])
{
    FreeHeatingTables();
    if (!names)
        return;
    for (DWORD slot = 0; slot < QEL_HEATING_SLOTS; ++slot) {
        if (!names[slot])
            continue;
        BYTE* buffer = NULL;
        DWORD size = 0;
        BOOL read = ReadBinFile(names[slot], &buffer, &size);
        DebugTrace(L"CQelCmd::SetHeatingTableName(%d), ReadBinFile(%ls) = %d, lpBuf = %p, dwBuf = %d,\n", slot,
                   names[slot], read, buffer, size);
        // An empty table must never replace the one the printer holds.
        if (read && buffer && size > 0) {
            m_HeatingTable.pTable[slot] = buffer;
            m_HeatingTable.dwLength[slot] = size;
        } else {
            delete[] buffer;
        }
    }
}

void CQelCmd::SetHeatingTableResId(const DWORD ids[QEL_HEATING_SLOTS])
{
    if (!ids)
        return;
    HMODULE module = OwnModule();
    for (DWORD slot = 0; slot < QEL_HEATING_SLOTS; ++slot) {
        if (m_HeatingTable.pTable[slot] || ids[slot] == 0)
            continue;
        HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(LOWORD(ids[slot])), L"BIN_FILE");
        DWORD size = resource ? SizeofResource(module, resource) : 0;
        HGLOBAL loaded = size ? LoadResource(module, resource) : NULL;
        const void* bytes = loaded ? LockResource(loaded) : NULL;
        BYTE* buffer = bytes ? new (std::nothrow) BYTE[size] : NULL;
        if (buffer) {
            memcpy(buffer, bytes, size);
            m_HeatingTable.pTable[slot] = buffer;
            m_HeatingTable.dwLength[slot] = size;
        }
        DebugTrace(L"CQelCmd::SetHeatingTableResId(%d), nTableId = %d, lpBuf = %p, dwBuf = %d,\n", slot, ids[slot],
                   buffer, buffer ? size : 0);
    }
}

void CQelCmd::SetLogEnable(DWORD level, LPCWSTR name, BYTE banner)
{
    if (!m_pUsbLink)
        return;
    m_pUsbLink->SetLogEnable(static_cast<int>(level), name, banner);
    if (!banner)
        return;
    if (szPrinterName[0] == L'\0') {
        const ModelEntry* model = GetModelEntry(m_pUsbLink->m_dwModelSN);
        WriteLog(1, L"Printer Model = \"%ls\",\n\n", model ? model->szModelName : L"");
    } else {
        WriteLog(1, L"szPrinterName = \"%ls\", dwSplJobId = %d,\n\n", szPrinterName, dwSplJobId);
    }
}
