#include "AreaImage.h"

#include <algorithm>
#include <cstring>

AreaImage::AreaImage(LPCWSTR name, BYTE orientation, BYTE panel) : m_bytes(360, 0)
{
    Byte(0, orientation).Byte(1, panel);
    memcpy(&m_bytes[8], name, std::min<size_t>(wcslen(name), 64) * sizeof(WCHAR));
    Dword(148, orientation == 1 ? 648 : 1012).Dword(152, orientation == 1 ? 1012 : 648).Dword(160, 0xFFFFFF);
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

AreaImage& AreaImage::Rects(const std::vector<RECT>& rects)
{
    Dword(164, static_cast<DWORD>(rects.size()));
    memcpy(&m_bytes[168], rects.data(), std::min<size_t>(rects.size(), 10) * sizeof(RECT));
    return *this;
}

AreaImage& AreaImage::Size(size_t size)
{
    m_bytes.resize(size, 0);
    return *this;
}

StoredValue ReadValue(const ScratchRegistryKey& key, const std::wstring& name)
{
    StoredValue value = {ERROR_SUCCESS, REG_NONE, std::vector<BYTE>(2048)};
    DWORD size = static_cast<DWORD>(value.bytes.size());
    value.status = RegGetValueW(HKEY_CURRENT_USER, key.path().c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                                &value.type, value.bytes.data(), &size);
    value.bytes.resize(value.status == ERROR_SUCCESS ? size : 0);
    return value;
}

std::vector<std::wstring> ValueNames(const ScratchRegistryKey& key)
{
    std::vector<std::wstring> names;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.path().c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return names;
    WCHAR name[512];
    for (DWORD i = 0, length = 512; RegEnumValueW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) ==
                                    ERROR_SUCCESS;
         ++i, length = 512)
        names.push_back(name);
    RegCloseKey(handle);
    std::sort(names.begin(), names.end());
    return names;
}

bool IsStoredText(const StoredValue& value, const std::wstring& text)
{
    std::vector<BYTE> bare(reinterpret_cast<const BYTE*>(text.c_str()),
                           reinterpret_cast<const BYTE*>(text.c_str() + text.size())),
        terminated = bare;
    terminated.insert(terminated.end(), 2, 0);
    return value.status == ERROR_SUCCESS && value.type == REG_SZ && (value.bytes == bare || value.bytes == terminated);
}
