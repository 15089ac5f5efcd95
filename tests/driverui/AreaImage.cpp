#include "AreaImage.h"

#include <algorithm>
#include <cstring>

AreaImage::AreaImage(LPCWSTR name, BYTE orientation, BYTE panel) : m_bytes(AREA_RECORD_BYTES, 0)
{
    Byte(0, orientation).Byte(1, panel).Name(name);
    Dword(148, orientation == 1 ? 648 : 1012).Dword(152, orientation == 1 ? 1012 : 648);
    Dword(156, 0).Dword(160, 0xFFFFFF);
}

AreaImage& AreaImage::Byte(size_t offset, BYTE value)
{
    m_bytes[offset] = value;
    return *this;
}

AreaImage& AreaImage::Dword(size_t offset, DWORD value)
{
    memcpy(&m_bytes[offset], &value, sizeof(value));
    return *this;
}

AreaImage& AreaImage::Name(LPCWSTR name)
{
    memset(&m_bytes[8], 0, 128);
    memcpy(&m_bytes[8], name, std::min<size_t>(wcslen(name), 64) * sizeof(WCHAR));
    return *this;
}

AreaImage& AreaImage::Rects(std::vector<RECT> rects)
{
    Dword(164, static_cast<DWORD>(rects.size()));
    for (size_t i = 0; i < rects.size() && i < 10; ++i)
        memcpy(&m_bytes[168 + 16 * i], &rects[i], sizeof(RECT));
    return *this;
}

AreaImage& AreaImage::Size(size_t size)
{
    m_bytes.resize(size, 0);
    return *this;
}

std::wstring StoredValue::Text() const
{
    std::wstring text(bytes.size() / sizeof(WCHAR), L'\0');
    memcpy(&text[0], bytes.data(), text.size() * sizeof(WCHAR));
    return text.substr(0, text.find(L'\0'));
}

UserAreaKeys::UserAreaKeys(const std::wstring& printer) : m_printer(printer)
{
    Clear();
}

UserAreaKeys::~UserAreaKeys()
{
    Clear();
}

void UserAreaKeys::Clear() const
{
    RegDeleteTreeW(HKEY_CURRENT_USER, PrinterKey().c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, PrinterKey().c_str());
}

LSTATUS UserAreaKeys::PutRaw(bool areas, const std::wstring& name, DWORD type, const void* data, DWORD size) const
{
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, (areas ? AreasKey() : PrinterKey()).c_str(), 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status;
}

LSTATUS UserAreaKeys::PutArea(const std::wstring& name, const AreaImage& image, DWORD type) const
{
    return PutRaw(true, name, type, image.data(), image.size());
}

LSTATUS UserAreaKeys::PutChoice(const std::wstring& valueName, const std::wstring& text, DWORD type) const
{
    return PutRaw(false, valueName, type, text.c_str(), static_cast<DWORD>(text.size() * sizeof(WCHAR)));
}

StoredValue UserAreaKeys::Read(const std::wstring& key, const std::wstring& name)
{
    StoredValue value = {ERROR_SUCCESS, REG_NONE, {}};
    DWORD size = 0;
    value.status = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                                nullptr, &size);
    if (value.status != ERROR_SUCCESS)
        return value;
    value.bytes.resize(size);
    value.status = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                                size ? value.bytes.data() : nullptr, &size);
    value.bytes.resize(size);
    return value;
}

std::vector<std::wstring> UserAreaKeys::ValueNames(bool areas) const
{
    std::vector<std::wstring> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (areas ? AreasKey() : PrinterKey()).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[512];
        DWORD length = 512;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
}

bool IsStoredText(const StoredValue& value, const std::wstring& text)
{
    const size_t bare = text.size() * sizeof(WCHAR);
    if (value.status != ERROR_SUCCESS || value.type != REG_SZ)
        return false;
    if (value.bytes.size() != bare && value.bytes.size() != bare + sizeof(WCHAR))
        return false;
    if (memcmp(value.bytes.data(), text.c_str(), bare) != 0)
        return false;
    return value.bytes.size() == bare || (value.bytes[bare] == 0 && value.bytes[bare + 1] == 0);
}
