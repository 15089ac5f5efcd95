#include "JobStatus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AlertTestSupport.h"

namespace {

// A spooler that records every call and fails where a case says.
struct FakeSpooler {
    std::vector<std::wstring> calls;
    DWORD openError = 0, setPrinterError = 0, getJobError = 0, setJobError = 0;
} g_fake;

HANDLE const kOpened = reinterpret_cast<HANDLE>(0x1234);
HANDLE const kGiven = reinterpret_cast<HANDLE>(0x5678);
WCHAR kDocument[] = L"card.prn";
WCHAR kOldStatus[] = L"old";

std::wstring Str(HANDLE h)
{
    return h == kOpened ? L"opened" : h == kGiven ? L"given" : L"?";
}
std::wstring Str(LPCWSTR text)
{
    return text ? L"\"" + std::wstring(text) + L"\"" : L"null";
}
std::wstring Str(ULONG_PTR n)
{
    WCHAR text[16];
    swprintf(text, 16, L"0x%X", static_cast<unsigned>(n));
    return text;
}

BOOL Record(const std::wstring& call, DWORD error)
{
    g_fake.calls.push_back(call);
    SetLastError(error);
    return error == 0;
}

BOOL WINAPI FakeOpenPrinter(LPWSTR name, LPHANDLE printer, LPPRINTER_DEFAULTSW d)
{
    *printer = g_fake.openError ? nullptr : kOpened;
    return Record(L"OpenPrinter(" + Str(name) + L", " + Str(d->pDatatype) + L", " + (d->pDevMode ? L"dm" : L"null") +
                      L", " + Str(d->DesiredAccess) + L")",
                  g_fake.openError);
}
BOOL WINAPI FakeSetPrinter(HANDLE printer, DWORD level, LPBYTE data, DWORD command)
{
    return Record(L"SetPrinter(" + Str(printer) + L", " + Str(level) + L", " + Str(ULONG_PTR(data)) + L", " +
                      Str(command) + L")",
                  g_fake.setPrinterError);
}
BOOL WINAPI FakeGetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE data, DWORD cb, LPDWORD needed)
{
    *needed = sizeof(JOB_INFO_1W);
    if (!g_fake.getJobError) {
        JOB_INFO_1W job = {};
        job.JobId = jobId;
        job.pDocument = kDocument;
        job.pStatus = kOldStatus;
        job.Status = JOB_STATUS_PRINTING;
        job.Position = 3;
        memcpy(data, &job, sizeof(job));
    }
    return Record(L"GetJob(" + Str(printer) + L", " + Str(jobId) + L", " + Str(level) + L", " + Str(cb) + L")",
                  g_fake.getJobError);
}
BOOL WINAPI FakeSetJob(HANDLE printer, DWORD jobId, DWORD level, LPBYTE data, DWORD command)
{
    const JOB_INFO_1W* job = reinterpret_cast<const JOB_INFO_1W*>(data);
    return Record(L"SetJob(" + Str(printer) + L", " + Str(jobId) + L", " + Str(level) + L", " + Str(job->pDocument) +
                      L", " + Str(job->pStatus) + L", " + Str(job->Status) + L", " + Str(job->Position) + L", " +
                      Str(command) + L")",
                  g_fake.setJobError);
}
BOOL WINAPI FakeClosePrinter(HANDLE printer)
{
    // Closing leaves a trace in the last error that the result must not take.
    Record(L"ClosePrinter(" + Str(printer) + L")", ERROR_ACCESS_DENIED);
    return TRUE;
}

class JobStatus : public testing::Test {
protected:
    void SetUp() override
    {
        m_saved = g_SpoolerCalls;
        g_SpoolerCalls = {FakeOpenPrinter, FakeSetPrinter, FakeGetJob, FakeSetJob, FakeClosePrinter};
        g_fake = FakeSpooler();
    }
    void TearDown() override { g_SpoolerCalls = m_saved; }

    // The result, which the last error must repeat.
    static DWORD Call(HANDLE printer, LPCWSTR name, DWORD code, LPCWSTR text)
    {
        SetLastError(ALERT_TEST_MARKER);
        DWORD result = SetJobStatusString(printer, name, 7, code, text);
        EXPECT_EQ(result, GetLastError());
        return result;
    }

    SpoolerCalls m_saved;
};

TEST_F(JobStatus, ClearingOpensSetsTheStatusRewritesTheJobAndCloses)
{
    EXPECT_EQ(0u, Call(nullptr, L"Card Printer 1", JOB_CODE_CLEAR, nullptr));
    EXPECT_EQ((std::vector<std::wstring>{
                  L"OpenPrinter(\"Card Printer 1\", null, null, 0xF000C)",
                  L"SetPrinter(opened, 0x0, 0x0, 0x4)",
                  L"GetJob(opened, 0x7, 0x1, 0x800)",
                  L"SetJob(opened, 0x7, 0x1, \"card.prn\", null, 0x0, 0x3, 0x0)",
                  L"ClosePrinter(opened)",
              }),
              g_fake.calls);
}

TEST_F(JobStatus, EachCodeSetsItsPrinterStatusAndJobFields)
{
    const struct {
        DWORD code;
        LPCWSTR text;
        LPCWSTR printerStatus, jobText, jobStatus;
    } cases[] = {
        {0, L"Ready", L"0x0", L"\"Ready\"", L"0x0"},       {0, nullptr, L"0x0", L"\"\"", L"0x0"},
        {0x8000, L"Out", L"0x10", L"\"Out\"", L"0x2"},     {0x30000, nullptr, L"0x8", L"\"\"", L"0x2"},
        {0x50001, L"D", L"0x400000", L"\"D\"", L"0x2"},    {0x50101, L"D", L"0x400000", L"\"D\"", L"0x2"},
        {0x10046, L"R", L"0x100000", L"\"R\"", L"0x2"},
    };
    for (const auto& c : cases) {
        g_fake.calls.clear();
        // A handle of the caller is used as it is and stays open.
        EXPECT_EQ(0u, Call(kGiven, nullptr, c.code, c.text)) << std::hex << c.code;
        EXPECT_EQ((std::vector<std::wstring>{
                      L"SetPrinter(given, 0x0, " + std::wstring(c.printerStatus) + L", 0x4)",
                      L"GetJob(given, 0x7, 0x1, 0x800)",
                      L"SetJob(given, 0x7, 0x1, \"card.prn\", " + std::wstring(c.jobText) + L", " + c.jobStatus +
                          L", 0x3, 0x0)",
                  }),
                  g_fake.calls);
    }
}

TEST_F(JobStatus, FailuresAreReportedAndTheRestGoesOn)
{
    const std::wstring longName(256, L'p');
    const struct {
        LPCWSTR name;
        HANDLE printer;
        FakeSpooler fails;
        DWORD result;
        size_t calls;
    } cases[] = {
        {L"", nullptr, {}, ERROR_INVALID_PARAMETER, 0},
        {nullptr, INVALID_HANDLE_VALUE, {}, ERROR_INVALID_PARAMETER, 0},
        {longName.c_str(), nullptr, {}, ERROR_INVALID_PRINTER_NAME, 0},
        {L"P", nullptr, {{}, ERROR_INVALID_PRINTER_NAME, 0, 0, 0}, ERROR_INVALID_PRINTER_NAME, 1},
        // A failing SetPrinter still updates the job; a failing GetJob skips SetJob.
        {L"P", nullptr, {{}, 0, ERROR_ACCESS_DENIED, 0, 0}, ERROR_ACCESS_DENIED, 5},
        {L"P", INVALID_HANDLE_VALUE, {{}, 0, 0, ERROR_INVALID_PARAMETER, 0}, ERROR_INVALID_PARAMETER, 4},
        {L"P", nullptr, {{}, 0, ERROR_ACCESS_DENIED, 0, ERROR_NOT_SUPPORTED}, ERROR_NOT_SUPPORTED, 5},
    };
    for (const auto& c : cases) {
        g_fake = c.fails;
        EXPECT_EQ(c.result, Call(c.printer, c.name, JOB_CODE_CLEAR, nullptr));
        EXPECT_EQ(c.calls, g_fake.calls.size());
        if (c.calls > 1) {
            EXPECT_EQ(L"ClosePrinter(opened)", g_fake.calls.back());
        }
    }
}

} // namespace
