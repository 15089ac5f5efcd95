#include "DevModeImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

DevModeImage DevModeImage::Defaults(LPCWSTR deviceName)
{
    DevModeImage image;
    image.Text(offsetof(DEVMODEW, dmDeviceName), deviceName ? deviceName : L"", CCHDEVICENAME)
        .Word(offsetof(DEVMODEW, dmSpecVersion), 0x0401)
        .Word(offsetof(DEVMODEW, dmDriverVersion), 0x0500)
        .Word(offsetof(DEVMODEW, dmSize), 220)
        .Word(offsetof(DEVMODEW, dmDriverExtra), 1024)
        .Dword(offsetof(DEVMODEW, dmFields), 0x0581FF1F)
        .Word(offsetof(DEVMODEW, dmOrientation), 1)
        .Word(offsetof(DEVMODEW, dmPaperSize), 600)
        .Word(offsetof(DEVMODEW, dmPaperLength), 857)
        .Word(offsetof(DEVMODEW, dmPaperWidth), 549)
        .Word(offsetof(DEVMODEW, dmScale), 100)
        .Word(offsetof(DEVMODEW, dmCopies), 1)
        .Word(offsetof(DEVMODEW, dmDefaultSource), 7)
        .Word(offsetof(DEVMODEW, dmPrintQuality), 300)
        .Word(offsetof(DEVMODEW, dmColor), 2)
        .Word(offsetof(DEVMODEW, dmDuplex), 1)
        .Word(offsetof(DEVMODEW, dmYResolution), 300)
        .Word(offsetof(DEVMODEW, dmTTOption), 1)
        .Text(offsetof(DEVMODEW, dmFormName), L"CR-80", CCHFORMNAME)
        .Dword(offsetof(DEVMODEW, dmNup), 1)
        .Dword(offsetof(DEVMODEW, dmICMMethod), 1)
        .Dword(offsetof(DEVMODEW, dmICMIntent), 3)
        .Dword(offsetof(DEVMODEW, dmDitherType), 1);
    const ULONGLONG reserved2 = 3;
    image.PrivWord(0, 1).PrivWord(8, 648).PrivWord(10, 1012).PrivWord(12, 100);
    image.Put(PUBLIC_SIZE + 40, &reserved2, sizeof(reserved2));
    image.PrivByte(66, 1).PrivByte(67, 1).PrivWord(132, 100).PrivWord(142, 100).PrivWord(195, 1).PrivByte(512, 2);
    return image;
}

DevModeImage& DevModeImage::Text(size_t offset, LPCWSTR text, size_t room)
{
    std::vector<WCHAR> slot(room, L'\0');
    std::copy(text, text + std::min(wcslen(text), room), slot.begin());
    return Put(offset, slot.data(), room * sizeof(WCHAR));
}

DevModeImage& DevModeImage::Put(size_t offset, const void* data, size_t size)
{
    memcpy(m_bytes.data() + offset, data, size);
    return *this;
}

std::string ImageDifferences(const DevModeImage& expected, const void* actual, size_t count)
{
    const BYTE* bytes = static_cast<const BYTE*>(actual);
    std::string out;
    int shown = 0;
    for (size_t i = 0; i < count && i < expected.size(); ++i) {
        if (bytes[i] == expected.data()[i])
            continue;
        char line[64];
        snprintf(line, sizeof(line), "%s%zu: %02X not %02X", out.empty() ? "" : ", ", i, bytes[i],
                 expected.data()[i]);
        if (++shown <= 16)
            out += line;
    }
    return out;
}

bool GuardedBuffer::GuardsIntact() const
{
    return std::all_of(m_bytes.begin() + static_cast<long>(m_size), m_bytes.end(), [](BYTE b) { return b == GUARD; });
}

bool GuardedBuffer::Untouched() const
{
    const BYTE fill = m_fill;
    return std::all_of(m_bytes.begin(), m_bytes.begin() + static_cast<long>(m_size),
                       [fill](BYTE b) { return b == fill; }) &&
           GuardsIntact();
}

void GuardedBuffer::Fill(const DevModeImage& image, size_t count)
{
    memcpy(m_bytes.data(), image.data(), std::min(count, m_size));
}
