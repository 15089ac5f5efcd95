#include "InstalledPrinter.h"

#include <cstdio>
#include <vector>

namespace {

LPWSTR Text(std::wstring& text)
{
    return &text[0];
}

} // namespace

std::wstring CInstalledPrinter::InstallDriverFile()
{
    std::wstring source = TestProgramFolder() + L"QelUI.dll";
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    WCHAR folder[MAX_PATH] = L"";
    DWORD needed = 0;
    if (!GetFileAttributesExW(source.c_str(), GetFileExInfoStandard, &info) ||
        !GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder), &needed))
        return L"";
    // One name per build, so that test programs running at once never write
    // a file another one has loaded; the copy appears whole under its name.
    WCHAR name[MAX_PATH];
    swprintf(name, MAX_PATH, L"%ls\\3\\QelUI-%08lx%08lx.dll", folder, info.ftLastWriteTime.dwHighDateTime,
             info.ftLastWriteTime.dwLowDateTime ^ info.nFileSizeLow);
    if (GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES)
        return name;
    WCHAR temporary[MAX_PATH];
    swprintf(temporary, MAX_PATH, L"%ls.%lu", name, GetCurrentProcessId());
    if (!CopyFileW(source.c_str(), temporary, FALSE))
        return L"";
    if (!MoveFileExW(temporary, name, 0))
        DeleteFileW(temporary);
    return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES ? name : L"";
}

CInstalledPrinter::CInstalledPrinter(LPCWSTR model, LPCWSTR port) : m_handle(nullptr)
{
    static LONG count = 0;
    WCHAR suffix[32];
    swprintf(suffix, 32, L" %lu-%ld", GetCurrentProcessId(), InterlockedIncrement(&count));
    m_name = std::wstring(L"Qel Card Printer ") + model + suffix;
    m_driver = std::wstring(L"Vornex ") + model + L" Card Printer" + suffix;
    std::wstring file = InstallDriverFile();
    if (file.empty())
        return;
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = Text(m_driver);
    driver.pDriverPath = Text(file);
    driver.pDataFile = Text(file);
    driver.pConfigFile = Text(file);
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
        return;
    std::wstring portName = port, processor = L"WinPrint", datatype = L"RAW";
    PRINTER_INFO_2W printer = {};
    printer.pPrinterName = Text(m_name);
    printer.pPortName = Text(portName);
    printer.pDriverName = Text(m_driver);
    printer.pPrintProcessor = Text(processor);
    printer.pDatatype = Text(datatype);
    m_handle = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
}

CInstalledPrinter::~CInstalledPrinter()
{
    if (m_handle) {
        DeletePrinter(m_handle);
        ClosePrinter(m_handle);
    }
    DeletePrinterDriverW(nullptr, nullptr, Text(m_driver));
}

bool CInstalledPrinter::StoreDevMode(const DEVMODEW* devMode)
{
    DWORD needed = 0;
    GetPrinterW(m_handle, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (!needed || !GetPrinterW(m_handle, 2, buffer.data(), needed, &needed))
        return false;
    PRINTER_INFO_2W* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    info->pDevMode = const_cast<DEVMODEW*>(devMode);
    info->pSecurityDescriptor = nullptr;
    return SetPrinterW(m_handle, 2, buffer.data(), 0) != FALSE;
}

QelUiModule::QelUiModule()
    : module(LoadLibraryW((TestProgramFolder() + L"QelUI.dll").c_str())), documentSheets(nullptr),
      deviceSheets(nullptr), convertDevMode(nullptr), deviceCapabilities(nullptr), queryPrint(nullptr),
      printerEvent(nullptr), dllMain(nullptr)
{
    if (!module)
        return;
    Find(documentSheets, "DrvDocumentPropertySheets");
    Find(deviceSheets, "DrvDevicePropertySheets");
    Find(convertDevMode, "DrvConvertDevMode");
    Find(deviceCapabilities, "DrvDeviceCapabilities");
    Find(queryPrint, "DevQueryPrintEx");
    Find(printerEvent, "DrvPrinterEvent");
    Find(dllMain, "DllMain");
}

QelUiModule::~QelUiModule()
{
    if (module)
        FreeLibrary(module);
}

bool QelUiModule::ok() const
{
    return documentSheets && deviceSheets && convertDevMode && deviceCapabilities && queryPrint && printerEvent &&
           dllMain;
}
