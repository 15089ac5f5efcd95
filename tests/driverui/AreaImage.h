// Stored print areas for the tests, written byte by byte from the record's
// layout (not from the driver's own structure), and the user's registry
// keys of one test printer, removed before and after each use.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

const size_t AREA_RECORD_BYTES = 360;

class AreaImage {
public:
    // A sound portrait YMCO record of the CR-80 card named name.
    explicit AreaImage(LPCWSTR name = L"Area", BYTE orientation = 1, BYTE panel = 0);

    AreaImage& Byte(size_t offset, BYTE value);
    AreaImage& Dword(size_t offset, DWORD value);
    AreaImage& Name(LPCWSTR name); // the 64-character field, rest zeroed
    AreaImage& Rects(std::vector<RECT> rects); // count and slots
    AreaImage& Size(size_t size); // a value of another length

    const BYTE* data() const { return m_bytes.data(); }
    DWORD size() const { return static_cast<DWORD>(m_bytes.size()); }
    const std::vector<BYTE>& bytes() const { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

// One stored value as read back.
struct StoredValue {
    LSTATUS status;
    DWORD type;
    std::vector<BYTE> bytes;
    std::wstring Text() const; // the bytes as UTF-16 up to the first zero
};

// HKEY_CURRENT_USER\Printers\<printer> and its PrintArea key.
class UserAreaKeys {
public:
    explicit UserAreaKeys(const std::wstring& printer);
    ~UserAreaKeys();
    UserAreaKeys(const UserAreaKeys&) = delete;
    UserAreaKeys& operator=(const UserAreaKeys&) = delete;

    const std::wstring& printer() const { return m_printer; }
    std::wstring PrinterKey() const { return L"Printers\\" + m_printer; }
    std::wstring AreasKey() const { return PrinterKey() + L"\\PrintArea"; }

    LSTATUS PutArea(const std::wstring& name, const AreaImage& image, DWORD type = REG_BINARY) const;
    LSTATUS PutRaw(bool areas, const std::wstring& name, DWORD type, const void* data, DWORD size) const;
    // A choice value as the driver writes it: without the terminator.
    LSTATUS PutChoice(const std::wstring& valueName, const std::wstring& text, DWORD type = REG_SZ) const;
    StoredValue Area(const std::wstring& name) const { return Read(AreasKey(), name); }
    StoredValue Choice(const std::wstring& valueName) const { return Read(PrinterKey(), valueName); }
    // Names of every value of a key, sorted.
    std::vector<std::wstring> ValueNames(bool areas) const;
    void Clear() const;

private:
    static StoredValue Read(const std::wstring& key, const std::wstring& name);
    std::wstring m_printer;
};

// A REG_SZ written with a byte count of 2 x length reads back with that
// count on Windows; Wine stores the terminator too.
bool IsStoredText(const StoredValue& value, const std::wstring& text);
