// A command object on a link to the printer emulator, over TCP or over the
// pipe that stands in for the USB device, shared by the command tests.
#pragma once

#include "PrinterEmulator.h"
#include "QelCmd.h"
#include "UsbLink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

enum CmdTransport { CMD_OVER_TCP, CMD_OVER_USB };

inline const char* CmdTransportName(const testing::TestParamInfo<CmdTransport>& info)
{
    return info.param == CMD_OVER_TCP ? "Tcp" : "Usb";
}

// Marker primed into the last error before each call.
const DWORD kLastErrorMarker = 0xC0DE1234;

// Sleep may end a little before its time on a coarse clock.
const ULONGLONG kClockSlackMs = 20;

// How long a test waits for the emulator to record what was sent.
const DWORD kRecordWaitMs = 5000;
// How long a test watches for frames that must not come.
const DWORD kQuietWaitMs = 150;

// A status block (byte 0 = 2) of 16 bytes with the given bytes set.
inline std::string StatusBlock(std::initializer_list<std::pair<size_t, BYTE>> bytes)
{
    std::string block(16, '\0');
    block[0] = 2;
    for (const auto& b : bytes) {
        if (b.first >= block.size())
            block.resize(b.first + 1, '\0');
        block[b.first] = static_cast<char>(b.second);
    }
    return block;
}

// TRUE when another thread can take the mutex at once, i.e. nobody holds it.
inline BOOL IsFreeForAnotherThread(HANDLE mutex)
{
    struct Probe {
        HANDLE mutex;
        BOOL free;
        static DWORD WINAPI Run(LPVOID self)
        {
            Probe* probe = static_cast<Probe*>(self);
            DWORD wait = WaitForSingleObject(probe->mutex, 0);
            probe->free = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
            if (probe->free)
                ReleaseMutex(probe->mutex);
            return 0;
        }
    } probe = {mutex, FALSE};
    HANDLE thread = CreateThread(NULL, 0, Probe::Run, &probe, 0, NULL);
    if (!thread)
        return FALSE;
    WaitForSingleObject(thread, kRecordWaitMs);
    CloseHandle(thread);
    return probe.free;
}

class CmdOverEmulator {
public:
    CPrinterEmulator emu;
    CUsbLink link;
    CQelCmd cmd;

    // Starts the emulator and opens the link on it; the command object uses the link.
    ::testing::AssertionResult Open(CmdTransport transport)
    {
        if (transport == CMD_OVER_TCP) {
            if (!emu.StartTcp(NULL, 0))
                return ::testing::AssertionFailure() << "StartTcp: " << GetLastError();
            link.SetIPAddr(emu.GetAddressW(), emu.GetPort());
        } else {
            if (!emu.StartUsb(0x0101, NULL))
                return ::testing::AssertionFailure() << "StartUsb: " << GetLastError();
            wcsncpy(link.m_szSymbolicLink, emu.GetDevicePath(), 259);
            link.m_szSymbolicLink[259] = L'\0';
        }
        DWORD opened = link.OpenUsb();
        if (opened != ERROR_SUCCESS)
            return ::testing::AssertionFailure() << "OpenUsb: " << opened;
        cmd.m_pUsbLink = &link;
        return ::testing::AssertionSuccess();
    }

    // The request texts of the first count frames, after waiting for them.
    std::vector<std::string> Requests(size_t count)
    {
        emu.WaitForFrames(count, kRecordWaitMs);
        std::vector<std::string> texts;
        for (const EmuFrame& f : emu.GetRequests())
            texts.push_back(f.request);
        return texts;
    }

    // Frames after waiting for count, and a short watch for any further one.
    std::vector<EmuFrame> ExactFrames(size_t count)
    {
        emu.WaitForFrames(count, kRecordWaitMs);
        emu.WaitForFrames(count + 1, kQuietWaitMs);
        return emu.GetFrames();
    }
};

// The bytes of a test file in the temporary folder; the file goes with the object.
class TempFile {
public:
    TempFile(LPCWSTR name, const std::string& bytes, BOOL create = TRUE)
    {
        WCHAR folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        swprintf(m_path, MAX_PATH, L"%lsqelcmd-%lu-%ls", folder, GetCurrentProcessId(), name);
        DeleteFileW(m_path);
        if (create) {
            FILE* f = _wfopen(m_path, L"wb");
            if (f) {
                fwrite(bytes.data(), 1, bytes.size(), f);
                fclose(f);
            }
        }
    }
    ~TempFile() { DeleteFileW(m_path); }
    LPCWSTR Path() const { return m_path; }
    std::string Read() const
    {
        std::string text;
        FILE* f = _wfopen(m_path, L"rb");
        if (!f)
            return text;
        char piece[4096];
        size_t got;
        while ((got = fread(piece, 1, sizeof(piece), f)) > 0)
            text.append(piece, got);
        fclose(f);
        return text;
    }

private:
    WCHAR m_path[MAX_PATH];
};
