// Expected images of the driver's DEVMODE, written from the record's layout
// (the platform's DEVMODEW and the private part's byte offsets), not from
// the driver's own code, and caller buffers with guard bytes behind them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

const size_t IMAGE_SIZE = 1244;
const size_t PUBLIC_SIZE = 220;

// An image of the whole record.
class DevModeImage {
public:
    DevModeImage() : m_bytes(IMAGE_SIZE, 0) {}
    // The driver's defaults with deviceName (NULL: empty).
    static DevModeImage Defaults(LPCWSTR deviceName);

    DevModeImage& Word(size_t offset, WORD value) { return Put(offset, &value, sizeof(value)); }
    DevModeImage& Dword(size_t offset, DWORD value) { return Put(offset, &value, sizeof(value)); }
    DevModeImage& Byte(size_t offset, BYTE value) { return Put(offset, &value, sizeof(value)); }
    // Text in a room of room characters, the rest zeroed.
    DevModeImage& Text(size_t offset, LPCWSTR text, size_t room);
    // Private-part offsets.
    DevModeImage& PrivWord(size_t offset, WORD value) { return Word(PUBLIC_SIZE + offset, value); }
    DevModeImage& PrivByte(size_t offset, BYTE value) { return Byte(PUBLIC_SIZE + offset, value); }
    DevModeImage& Put(size_t offset, const void* data, size_t size);

    DEVMODEW* DevMode() { return reinterpret_cast<DEVMODEW*>(m_bytes.data()); }
    const DEVMODEW* DevMode() const { return reinterpret_cast<const DEVMODEW*>(m_bytes.data()); }
    const BYTE* data() const { return m_bytes.data(); }
    size_t size() const { return m_bytes.size(); }
    std::vector<BYTE>& bytes() { return m_bytes; }

private:
    std::vector<BYTE> m_bytes;
};

// "" when the first count bytes of actual equal the image's, else the
// offsets and values that differ.
std::string ImageDifferences(const DevModeImage& expected, const void* actual, size_t count = IMAGE_SIZE);

// A caller's buffer of size bytes, filled with a pattern (an allocator's
// zeroes or leftovers), guards behind it.
class GuardedBuffer {
public:
    static constexpr BYTE FILL = 0xCD;
    static constexpr BYTE GUARD = 0xAB;
    static constexpr size_t GUARDS = 16;
    explicit GuardedBuffer(size_t size, BYTE fill = FILL) : m_size(size), m_fill(fill), m_bytes(size + GUARDS, GUARD)
    {
        std::fill(m_bytes.begin(), m_bytes.begin() + static_cast<long>(size), fill);
    }
    BYTE* data() { return m_bytes.data(); }
    DEVMODEW* DevMode() { return reinterpret_cast<DEVMODEW*>(m_bytes.data()); }
    template <typename T> T* As() { return reinterpret_cast<T*>(m_bytes.data()); }
    size_t size() const { return m_size; }
    bool GuardsIntact() const;
    // TRUE while nothing of the buffer was written.
    bool Untouched() const;
    // Copies an image's first bytes in.
    void Fill(const DevModeImage& image, size_t count);

private:
    size_t m_size;
    BYTE m_fill;
    std::vector<BYTE> m_bytes;
};
