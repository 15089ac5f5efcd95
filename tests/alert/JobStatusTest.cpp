#include "JobStatus.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cwchar>
#include <string>
#include <vector>

#include "AlertTestSupport.h"

namespace {

// A spooler that records every call and fails where a case says.
struct FakeSpooler {
    std::vector<std::wstring> calls;
    DWORD openError = 0, setPrinterError = 0, getJobError = 0, setJobError = 0;
};
FakeSpooler* g_fake = nullptr;

HANDLE const kOpened = reinterpret_cast<HANDLE>(0x1234);
HANDLE const kGiven = reinterpret_cast<HANDLE>(0x5678);
WCHAR kDocument[] = L"card.prn";
WCHAR kOldStatus[] = L"old";

std::wstring Name(HANDLE h)
{
    return h == kOpened ? L"opened" : h == kGiven ? L"given" : L"?";
}

std::wstring Text(LPCWSTR text)
{
    return text ? L"\"" + std::wstring(text) + L"\"" : L"null";
}

void Record(const wchar_t* format, ...)
{
    WCHAR line[512];
    va_list args;
    va_start(args, format);
    vswprintf(line, 512, format, args);
    va_end(args);
    g_fake->calls.push_back(line);
}

BOOL Result(DWORD error)
{
    SetLastError(error);
    return error == 0;
}

BOOL WINAPI FakeOpenPrinter(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW defaults)
{
    Record(L"OpenPrinter(%ls, %ls, %ls, 0x%X)", Text(name).c_str(), Text(defaults->pDatatype).c_str(),
           defaults->pDevMode ? L"devmode" : L"null", defaults->DesiredAccess);
    *printer = g_fake->openError ? nullptr : kOpened;
    return Result(g_fake->openError);
}

BOOL WINAPI FakeSetPrinter(HANDLE printer, DWORD level, LPBYTE data, DWORD command)
{
    Record(L"SetPrinter(%ls, %u, 0x%X, %u)", Name(printer).c_str(), level,
           static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(data)), command);
    return Result(g_fake->setPrinterError);
}

BOOL WINAPI FakeGetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE data, DWORD cb, LPDWORD needed)
{
    Record(L"GetJob(%ls, %u, %u, %u)", Name(printer).c_str(), jobId, level, cb);
    *needed = sizeof(JOB_INFO_1W);
    if (g_fake->getJobError)
        return Result(g_fake->getJobError);
    JOB_INFO_1W job = {};
    job.JobId = jobId;
    job.pDocument = kDocument;
    job.pStatus = kOldStatus;
    job.Status = JOB_STATUS_PRINTING;
    job.Position = 3;
    memcpy(data, &job, sizeof(job));
    return TRUE;
}

BOOL WINAPI FakeSetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE data, DWORD command)
{
    const JOB_INFO_1W* job = reinterpret_cast<const JOB_INFO_1W*>(data);
    Record(L"SetJob(%ls, %u, %u, %ls, %ls, 0x%X, %u, %u)", Name(printer).c_str(), jobId, level,
           Text(job->pDocument).c_str(), Text(job->pStatus).c_str(), job->Status, job->Position, command);
    return Result(g_fake->setJobError);
}

BOOL WINAPI FakeClosePrinter(HANDLE printer)
{
    Record(L"ClosePrinter(%ls)", Name(printer).c_str());
    // Closing leaves a trace in the last error that the result must not take.
    SetLastError(ERROR_ACCESS_DENIED);
    return TRUE;
}

class JobStatus : public testing::Test {
protected:
    void SetUp() override
    {
        m_saved = g_SpoolerCalls;
        g_SpoolerCalls = {FakeOpenPrinter, FakeSetPrinter, FakeGetJob, FakeSetJob, FakeClosePrinter};
        g_fake = &m_fake;
    }
    void TearDown() override
    {
        g_SpoolerCalls = m_saved;
        g_fake = nullptr;
    }

    DWORD Call(HANDLE printer, LPCWSTR name, DWORD code, LPCWSTR text, DWORD* lastError)
    {
        SetLastError(ALERT_TEST_MARKER);
        DWORD result = SetJobStatusString(printer, name, 7, code, text);
        *lastError = GetLastError();
        return result;
    }

    SpoolerCalls m_saved;
    FakeSpooler m_fake;
};

TEST_F(JobStatus, ClearingOpensSetsTheStatusRewritesTheJobAndCloses)
{
    DWORD lastError = 0;
    EXPECT_EQ(0u, Call(nullptr, L"Card Printer 1", JOB_CODE_CLEAR, nullptr, &lastError));
    EXPECT_EQ(0u, lastError);
    EXPECT_EQ((std::vector<std::wstring>{
                  L"OpenPrinter(\"Card Printer 1\", null, null, 0xF000C)",
                  L"SetPrinter(opened, 0, 0x0, 4)",
                  L"GetJob(opened, 7, 1, 2048)",
                  L"SetJob(opened, 7, 1, \"card.prn\", null, 0x0, 3, 0)",
                  L"ClosePrinter(opened)",
              }),
              m_fake.calls);
}

TEST_F(JobStatus, EachCodeSetsItsPrinterStatusAndJobFields)
{
    const struct {
        DWORD code;
        LPCWSTR text;
        LPCWSTR setPrinter, setJob;
    } cases[] = {
        {0, L"Ready", L"SetPrinter(given, 0, 0x0, 4)", L"SetJob(given, 7, 1, \"card.prn\", \"Ready\", 0x0, 3, 0)"},
        {0, nullptr, L"SetPrinter(given, 0, 0x0, 4)", L"SetJob(given, 7, 1, \"card.prn\", \"\", 0x0, 3, 0)"},
        {0x8000, L"Out", L"SetPrinter(given, 0, 0x10, 4)", L"SetJob(given, 7, 1, \"card.prn\", \"Out\", 0x2, 3, 0)"},
        {0x30000, nullptr, L"SetPrinter(given, 0, 0x8, 4)", L"SetJob(given, 7, 1, \"card.prn\", \"\", 0x2, 3, 0)"},
        {0x50001, L"Door", L"SetPrinter(given, 0, 0x400000, 4)",
         L"SetJob(given, 7, 1, \"card.prn\", \"Door\", 0x2, 3, 0)"},
        {0x50101, L"Door", L"SetPrinter(given, 0, 0x400000, 4)",
         L"SetJob(given, 7, 1, \"card.prn\", \"Door\", 0x2, 3, 0)"},
        {0x10046, L"Ribbon", L"SetPrinter(given, 0, 0x100000, 4)",
         L"SetJob(given, 7, 1, \"card.prn\", \"Ribbon\", 0x2, 3, 0)"},
    };
    for (const auto& c : cases) {
        m_fake.calls.clear();
        DWORD lastError = 0;
        // A handle of the caller is used as it is and stays open.
        EXPECT_EQ(0u, Call(kGiven, nullptr, c.code, c.text, &lastError)) << std::hex << c.code;
        EXPECT_EQ((std::vector<std::wstring>{c.setPrinter, L"GetJob(given, 7, 1, 2048)", c.setJob}), m_fake.calls);
    }
}

TEST_F(JobStatus, FailuresAreReportedAndTheRestGoesOn)
{
    const struct {
        LPCWSTR name;
        HANDLE printer;
        DWORD openError, setPrinterError, getJobError, setJobError;
        DWORD result;
        size_t calls;
    } cases[] = {
        {L"", nullptr, 0, 0, 0, 0, ERROR_INVALID_PARAMETER, 0},
        {nullptr, INVALID_HANDLE_VALUE, 0, 0, 0, 0, ERROR_INVALID_PARAMETER, 0},
        {L"Card Printer 1", nullptr, ERROR_INVALID_PRINTER_NAME, 0, 0, 0, ERROR_INVALID_PRINTER_NAME, 1},
        // SetPrinter failing still updates the job.
        {L"Card Printer 1", nullptr, 0, ERROR_ACCESS_DENIED, 0, 0, ERROR_ACCESS_DENIED, 5},
        // GetJob failing skips SetJob.
        {L"Card Printer 1", INVALID_HANDLE_VALUE, 0, 0, ERROR_INVALID_PARAMETER, 0, ERROR_INVALID_PARAMETER, 4},
        {L"Card Printer 1", nullptr, 0, ERROR_ACCESS_DENIED, 0, ERROR_NOT_SUPPORTED, ERROR_NOT_SUPPORTED, 5},
    };
    for (const auto& c : cases) {
        m_fake = FakeSpooler();
        m_fake.openError = c.openError;
        m_fake.setPrinterError = c.setPrinterError;
        m_fake.getJobError = c.getJobError;
        m_fake.setJobError = c.setJobError;
        DWORD lastError = 0;
        EXPECT_EQ(c.result, Call(c.printer, c.name, JOB_CODE_CLEAR, nullptr, &lastError));
        EXPECT_EQ(c.result, lastError);
        EXPECT_EQ(c.calls, m_fake.calls.size());
        if (c.calls > 1) {
            EXPECT_EQ(L"ClosePrinter(opened)", m_fake.calls.back());
        }
    }
    DWORD lastError = 0;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME),
              Call(nullptr, std::wstring(256, L'p').c_str(), JOB_CODE_CLEAR, nullptr, &lastError));
}

} // namespace
