// Stored print areas for the tests, written byte by byte from the record's
// layout (not from the driver's own structure), the user's keys of a test
// printer, and values read back from them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "../foundation/ScratchRegistryKey.h"

class AreaImage {
public:
    // A sound record of the CR-80 card: no rectangles, black outside.
    explicit AreaImage(LPCWSTR name = L"Area", BYTE orientation = 1, BYTE panel = 0);
    AreaImage& Byte(size_t offset, BYTE value);
    AreaImage& Dword(size_t offset, DWORD value);
    AreaImage& Rects(const std::vector<RECT>& rects); // count and slots
    AreaImage& Size(size_t size); // a value of another length
    const BYTE* data() const { return m_bytes.data(); }
    DWORD size() const { return static_cast<DWORD>(m_bytes.size()); }
    const std::vector<BYTE>& bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

// HKEY_CURRENT_USER\Printers\<printer> and its PrintArea key, removed before
// and after.
struct UserAreaKeys {
    explicit UserAreaKeys(const std::wstring& printer)
        : choices(HKEY_CURRENT_USER, L"Printers\\" + printer), areas(HKEY_CURRENT_USER, choices.path() + L"\\PrintArea")
    {
    }
    LSTATUS PutArea(LPCWSTR name, const AreaImage& image, DWORD type = REG_BINARY)
    {
        return areas.SetBinary(name, image.data(), image.size(), type);
    }
    // As the driver writes a choice: without the terminator.
    LSTATUS PutChoice(LPCWSTR name, const std::wstring& text)
    {
        return choices.SetBinary(name, text.c_str(), static_cast<DWORD>(text.size() * sizeof(WCHAR)), REG_SZ);
    }
    ScratchRegistryKey choices, areas;
};

struct StoredValue {
    LSTATUS status;
    DWORD type;
    std::vector<BYTE> bytes;
};
StoredValue ReadValue(const ScratchRegistryKey& key, const std::wstring& name);
// Names of every value of the key, sorted (Windows enumerates them in the
// order they were made, Wine by name).
std::vector<std::wstring> ValueNames(const ScratchRegistryKey& key);
// A REG_SZ written with a byte count of 2 x length reads back with that
// count on Windows; Wine stores the terminator too.
bool IsStoredText(const StoredValue& value, const std::wstring& text);
