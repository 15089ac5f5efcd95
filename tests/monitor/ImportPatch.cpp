#include "ImportPatch.h"

#include <cstring>

namespace {

bool WriteSlot(void** slot, void* value)
{
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old))
        return false;
    *slot = value;
    VirtualProtect(slot, sizeof(*slot), old, &old);
    return true;
}

} // namespace

CImportPatch::~CImportPatch()
{
    Restore();
}

BOOL CImportPatch::Patch(HMODULE module, LPCSTR dll, LPCSTR function, void* replacement)
{
    auto base = reinterpret_cast<BYTE*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (m_ppSlot || imports.VirtualAddress == 0)
        return FALSE;
    for (auto d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), dll) != 0 || !d->OriginalFirstThunk)
            continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto slots = reinterpret_cast<void**>(base + d->FirstThunk);
        for (size_t i = 0; names[i].u1.AddressOfData; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
            if (strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            void* original = slots[i];
            if (!WriteSlot(&slots[i], replacement))
                return FALSE;
            m_ppSlot = &slots[i];
            m_pOriginal = original;
            return TRUE;
        }
    }
    return FALSE;
}

void CImportPatch::Restore()
{
    if (m_ppSlot)
        WriteSlot(m_ppSlot, m_pOriginal);
    m_ppSlot = nullptr;
}
