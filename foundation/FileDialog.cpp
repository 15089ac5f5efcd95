// The common open and save dialog.
#include "Utilities.h"

#include "Platform.h"
#include "TextCopy.h"

#include <commdlg.h>

#include <cwchar>

namespace {

// Room of the filter list: the pattern twice, as the description and the
// pattern, each terminated, and the list's own terminator.
const DWORD FILTER_ROOM = 2 * BROWSE_PATH_ROOM + 1;

} // namespace

DWORD BrowseFileName(BOOL open, LPCWSTR title, LPCWSTR defaultExtension, LPCWSTR initialFileName,
                     LPCWSTR filter, LPWSTR out, LPCWSTR initialFolder, BOOL fullPath)
{
    WCHAR file[BROWSE_PATH_ROOM], folder[BROWSE_PATH_ROOM], extension[BROWSE_PATH_ROOM];
    WCHAR filters[FILTER_ROOM];
    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof(ofn));

    if (!CopyTextFits(file, BROWSE_PATH_ROOM, initialFileName) ||
        !CopyTextFits(extension, BROWSE_PATH_ROOM, defaultExtension)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 2;
    }
    if (initialFolder) {
        if (!CopyTextFits(folder, BROWSE_PATH_ROOM, initialFolder)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 2;
        }
    } else {
        DWORD n = GetModuleFileNameW(nullptr, folder, BROWSE_PATH_ROOM);
        if (n == 0 || n >= BROWSE_PATH_ROOM)
            folder[0] = L'\0';
        WCHAR* slash = wcsrchr(folder, L'\\');
        if (slash)
            *slash = L'\0';
    }
    if (filter && filter[0]) {
        size_t n = wcslen(filter);
        if (n >= BROWSE_PATH_ROOM) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 2;
        }
        wmemcpy(filters, filter, n + 1);
        wmemcpy(filters + n + 1, filter, n + 1);
        filters[2 * n + 2] = L'\0';
        ofn.lpstrFilter = filters;
        ofn.nFilterIndex = 1;
    }

    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = nullptr;
    ofn.lpstrFile = file;
    ofn.nMaxFile = BROWSE_PATH_ROOM;
    ofn.lpstrInitialDir = folder[0] ? folder : nullptr;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = extension[0] ? extension : nullptr;
    ofn.Flags = open ? OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST : OFN_EXPLORER | OFN_PATHMUSTEXIST;

    BOOL chosen = open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    DebugTrace(L"BrowseFileName(), chosen = %d, szFile = %ls, error = 0x%X,\n", chosen, file, CommDlgExtendedError());
    if (!chosen)
        return 2;
    if (out) {
        LPCWSTR part = fullPath || ofn.nFileOffset >= BROWSE_PATH_ROOM ? file : file + ofn.nFileOffset;
        wcscpy(out, part);
    }
    return 1;
}
