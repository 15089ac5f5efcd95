// A registry key that a test creates and removes again, with its subkeys.
#pragma once

#include <windows.h>

#include <string>

class ScratchRegistryKey {
public:
    ScratchRegistryKey(HKEY root, const std::wstring& path) : m_root(root), m_path(path)
    {
        RegDeleteTreeW(m_root, m_path.c_str());
        m_status = RegCreateKeyExW(m_root, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    }
    ~ScratchRegistryKey()
    {
        if (m_key)
            RegCloseKey(m_key);
        RegDeleteTreeW(m_root, m_path.c_str());
    }
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;

    bool ok() const { return m_status == ERROR_SUCCESS; }
    const std::wstring& path() const { return m_path; }

    LSTATUS SetText(LPCWSTR name, const std::wstring& value, DWORD type = REG_SZ)
    {
        return RegSetValueExW(m_key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                              DWORD((value.size() + 1) * sizeof(WCHAR)));
    }
    LSTATUS SetDword(LPCWSTR name, DWORD value)
    {
        return RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }
    LSTATUS SetBinary(LPCWSTR name, const void* data, DWORD size, DWORD type = REG_BINARY)
    {
        return RegSetValueExW(m_key, name, 0, type, static_cast<const BYTE*>(data), size);
    }

private:
    HKEY m_root;
    std::wstring m_path;
    HKEY m_key = nullptr;
    LSTATUS m_status;
};
