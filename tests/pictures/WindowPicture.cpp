#include "WindowPicture.h"

#include <vector>

BOOL SaveWindowPicture(HWND window, LPCWSTR path)
{
    RECT r;
    if (!GetWindowRect(window, &r) || r.right <= r.left || r.bottom <= r.top)
        return FALSE;
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    const DWORD stride = (width * 3 + 3) & ~3u;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = stride * height;

    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    BOOL ok = FALSE;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        SelectObject(memory, old);
    }
    if (ok) {
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + header.biSizeImage;
        HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ok = out != INVALID_HANDLE_VALUE && WriteFile(out, &file, sizeof(file), &written, nullptr) &&
             WriteFile(out, &header, sizeof(header), &written, nullptr) &&
             WriteFile(out, bits, header.biSizeImage, &written, nullptr) && written == header.biSizeImage;
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}
