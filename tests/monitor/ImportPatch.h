// CImportPatch: points one import of a loaded module at a replacement, so a
// test can make a platform call fail inside a library it drives. The import
// is put back by the destructor.
#pragma once

#include <windows.h>

class CImportPatch {
public:
    CImportPatch() = default;
    ~CImportPatch();
    CImportPatch(const CImportPatch&) = delete;
    CImportPatch& operator=(const CImportPatch&) = delete;

    // FALSE when the module does not import function from dll (names compared
    // ignoring case) or the import table cannot be written.
    BOOL Patch(HMODULE module, LPCSTR dll, LPCSTR function, void* replacement);
    void Restore();

private:
    void** m_ppSlot = nullptr;
    void* m_pOriginal = nullptr;
};
