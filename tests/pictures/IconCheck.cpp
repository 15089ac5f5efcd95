#include "IconCheck.h"

#include "FileReading.h"

namespace {

const DWORD ICON_FILE_LIMIT = 1024 * 1024;
const WORD ICON_DIRECTORY_SIZE = 6, ICON_ENTRY_SIZE = 16;

WORD Word(const BYTE* at) { return static_cast<WORD>(at[0] | at[1] << 8); }

// The sizes of the images the .ico file's directory lists (0 stands for 256).
std::vector<SIZE> IconFileSizes(const std::wstring& path)
{
    std::vector<SIZE> sizes;
    DWORD size = 0;
    HANDLE file = OpenForReadingWithin(path.c_str(), ICON_FILE_LIMIT, &size);
    if (file == INVALID_HANDLE_VALUE)
        return sizes;
    std::vector<BYTE> bytes(size);
    bool read = size >= ICON_DIRECTORY_SIZE && ReadFully(file, bytes.data(), size);
    CloseHandle(file);
    if (!read || Word(&bytes[2]) != 1)
        return sizes;
    for (DWORD entry = ICON_DIRECTORY_SIZE, left = Word(&bytes[4]); left > 0 && entry + ICON_ENTRY_SIZE <= size;
         entry += ICON_ENTRY_SIZE, --left)
        sizes.push_back({bytes[entry] ? bytes[entry] : 256, bytes[entry + 1] ? bytes[entry + 1] : 256});
    return sizes;
}

// The size of the icon's image; {0, 0} when it cannot be read.
SIZE IconSize(HICON icon)
{
    SIZE size = {0, 0};
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info))
        return size;
    BITMAP bitmap = {};
    if (GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap)) {
        // A monochrome icon keeps its AND and XOR masks in one bitmap.
        size = {bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

// The icon drawn at the size on a background no picture uses, as 32-bit pixels.
std::vector<DWORD> DrawnPixels(HICON icon, SIZE size)
{
    std::vector<DWORD> pixels;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = size.cx;
    header.biHeight = -size.cy;
    header.biPlanes = 1;
    header.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all = {0, 0, size.cx, size.cy};
        HBRUSH background = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(dc, &all, background);
        DeleteObject(background);
        if (DrawIconEx(dc, 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL)) {
            GdiFlush();
            const DWORD* drawn = static_cast<const DWORD*>(bits);
            pixels.assign(drawn, drawn + size.cx * size.cy);
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    return pixels;
}

} // namespace

void CheckIconControl(HWND control, const std::wstring& icoFile, std::vector<LayoutFault>* faults)
{
    const int id = GetDlgCtrlID(control);
    const std::wstring name = icoFile.substr(icoFile.find_last_of(L'\\') + 1);
    std::vector<SIZE> sizes = IconFileSizes(icoFile);
    if (sizes.empty()) {
        faults->push_back({id, L"icon file " + name + L" with images", 1, 0});
        return;
    }
    HICON shown = reinterpret_cast<HICON>(SendMessageW(control, STM_GETICON, 0, 0));
    SIZE size = IconSize(shown);
    SIZE wanted = sizes[0];
    for (const SIZE& image : sizes) {
        if (image.cx == size.cx && image.cy == size.cy)
            wanted = image;
    }
    if (wanted.cx != size.cx || wanted.cy != size.cy) {
        if (wanted.cx != size.cx)
            faults->push_back({id, L"icon width as " + name + L"'s", wanted.cx, size.cx});
        if (wanted.cy != size.cy)
            faults->push_back({id, L"icon height as " + name + L"'s", wanted.cy, size.cy});
        return;
    }
    HICON own = static_cast<HICON>(LoadImageW(nullptr, icoFile.c_str(), IMAGE_ICON, size.cx, size.cy, LR_LOADFROMFILE));
    std::vector<DWORD> want = DrawnPixels(own, size), have = DrawnPixels(shown, size);
    if (own)
        DestroyIcon(own);
    LONG same = 0;
    for (size_t i = 0; i < want.size() && i < have.size(); ++i)
        same += want[i] == have[i];
    if (want.empty() || same != LONG(want.size()))
        faults->push_back({id, L"icon pixels as drawn from " + name, size.cx * size.cy, same});
}
