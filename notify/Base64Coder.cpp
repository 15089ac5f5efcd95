#include "Base64Coder.h"

#include "Platform.h"

#include <atomic>
#include <cstring>
#include <new>

namespace {

const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const BYTE NOT_IN_ALPHABET = 0xFE;
const BYTE PADDING = 0xFF;
// Buffers grow in steps of this many bytes and never shrink.
const DWORD GROWTH_STEP = 4096;

BYTE g_decodeTable[256];
// Written after the table, with release order; read with acquire order.
std::atomic<bool> g_decodeTableBuilt(false);

// Makes buffer at least n bytes and zeroes it; the capacity becomes n with its
// low 12 bits cleared plus one step, so it is always larger than n.
template <typename T>
BOOL Grow(T*& buffer, DWORD& capacity, DWORD& length, DWORD n)
{
    if (capacity < n || !buffer) {
        delete[] buffer;
        buffer = nullptr;
        capacity = 0;
        length = 0;
        DWORD rounded = n & ~(GROWTH_STEP - 1);
        if (rounded > MAXDWORD - GROWTH_STEP)
            return FALSE;
        buffer = new (std::nothrow) T[rounded + GROWTH_STEP];
        if (!buffer)
            return FALSE;
        capacity = rounded + GROWTH_STEP;
    }
    memset(buffer, 0, capacity);
    length = 0;
    return TRUE;
}

} // namespace

Base64Coder::Base64Coder()
    : m_pData(nullptr), m_pText(nullptr), m_dwDataCapacity(0), m_dwTextCapacity(0), m_dwDataLength(0),
      m_dwTextLength(0)
{
}

Base64Coder::~Base64Coder()
{
    delete[] m_pData;
    delete[] m_pText;
}

void Base64Coder::BuildDecodeTable()
{
    memset(g_decodeTable, NOT_IN_ALPHABET, sizeof(g_decodeTable));
    for (BYTE i = 0; i < 64; ++i) {
        BYTE c = static_cast<BYTE>(ALPHABET[i]);
        g_decodeTable[c] = i;
        g_decodeTable[c | 0x80] = i;
    }
    g_decodeTable['='] = PADDING;
    g_decodeTable['=' | 0x80] = PADDING;
    g_decodeTableBuilt.store(true, std::memory_order_release);
}

void Base64Coder::Encode(const BYTE* zeroTerminated)
{
    if (zeroTerminated)
        Encode(zeroTerminated, static_cast<DWORD>(strlen(reinterpret_cast<const char*>(zeroTerminated))));
}

void Base64Coder::Encode(const BYTE* bytes, DWORD length)
{
    DebugTrace(L"Base64Coder::Encode(1), length = %u,\n", length);
    SetEncodeInput(bytes, length);
    // Twice the input: the text never grows in the middle of encoding, and
    // the zeroed buffer is always longer than the text, so it ends in a zero.
    if (m_dwDataLength != length || length > MAXDWORD / 2 || !AllocEncode(2 * length))
        return;
    Base64Group group;
    DWORD at = 0;
    for (; at + 3 <= length; at += 3) {
        memcpy(group.by, m_pData + at, 3);
        group.by[3] = 0;
        group.count = 3;
        EncodeGroup(group, m_pText + m_dwTextLength);
        m_dwTextLength += 4;
    }
    if (at < length) {
        memset(group.by, 0, sizeof(group.by));
        memcpy(group.by, m_pData + at, length - at);
        group.count = static_cast<BYTE>(length - at);
        EncodeGroup(group, m_pText + m_dwTextLength);
        m_dwTextLength += 4;
    }
}

void Base64Coder::Decode(const char* zeroTerminated)
{
    if (zeroTerminated)
        Decode(zeroTerminated, static_cast<DWORD>(strlen(zeroTerminated)));
}

void Base64Coder::Decode(const char* text, DWORD length)
{
    DebugTrace(L"Base64Coder::Decode(1), length = %u,\n", length);
    if (!g_decodeTableBuilt.load(std::memory_order_acquire))
        BuildDecodeTable();
    SetDecodeInput(text, length);
    // Three bytes per group of four characters fit the n bytes asked for,
    // and a short last group fits the step the buffer grows by.
    if (!AllocDecode(length))
        return;
    Base64Group group;
    DWORD at = 0;
    for (; at + 4 <= m_dwTextLength; at += 4) {
        for (int i = 0; i < 4; ++i) {
            BYTE value = g_decodeTable[static_cast<BYTE>(m_pText[at + i])];
            group.by[i] = (i >= 2 && value == PADDING) ? 0 : value;
        }
        group.count = 4;
        DecodeGroup(group, m_pData + m_dwDataLength);
        m_dwDataLength += 3;
    }
    if (at < m_dwTextLength) {
        memset(group.by, 0, sizeof(group.by));
        for (DWORD i = 0; at + i < m_dwTextLength; ++i) {
            BYTE value = g_decodeTable[static_cast<BYTE>(m_pText[at + i])];
            group.by[i] = value == PADDING ? 0 : value;
        }
        group.count = static_cast<BYTE>(m_dwTextLength - at);
        DecodeGroup(group, m_pData + m_dwDataLength);
        m_dwDataLength += 3;
    }
}

BYTE* Base64Coder::DecodedMessage()
{
    return m_pData;
}

const char* Base64Coder::EncodedMessage()
{
    return m_pText ? m_pText : "";
}

BOOL Base64Coder::AllocEncode(DWORD n)
{
    return Grow(m_pText, m_dwTextCapacity, m_dwTextLength, n);
}

BOOL Base64Coder::AllocDecode(DWORD n)
{
    return Grow(m_pData, m_dwDataCapacity, m_dwDataLength, n);
}

void Base64Coder::SetDecodeInput(const char* text, DWORD n)
{
    if (!AllocEncode(n) || !text)
        return;
    for (DWORD i = 0; i < n; ++i) {
        if (!IsWhitespace(static_cast<BYTE>(text[i])))
            m_pText[m_dwTextLength++] = text[i];
    }
}

void Base64Coder::SetEncodeInput(const BYTE* bytes, DWORD n)
{
    if (!AllocDecode(n) || (!bytes && n))
        return;
    if (n)
        memcpy(m_pData, bytes, n);
    m_dwDataLength = n;
}

void Base64Coder::EncodeGroup(const Base64Group& group, char* out)
{
    BYTE sextets[4];
    SplitSextets(sextets, group);
    for (int i = 0; i < 4; ++i)
        out[i] = ALPHABET[sextets[i]];
    if (group.count == 1)
        out[2] = '=';
    if (group.count <= 2)
        out[3] = '=';
}

void Base64Coder::DecodeGroup(const Base64Group& group, BYTE* out)
{
    JoinSextets(out, group);
}

void Base64Coder::SplitSextets(BYTE* out, const Base64Group& group)
{
    const BYTE* b = group.by;
    out[0] = b[0] >> 2;
    out[1] = static_cast<BYTE>(((b[0] << 4) & 0x3F) | (b[1] >> 4));
    out[2] = static_cast<BYTE>(((b[1] << 2) & 0x3F) | (b[2] >> 6));
    out[3] = b[2] & 0x3F;
}

void Base64Coder::JoinSextets(BYTE* out, const Base64Group& group)
{
    const BYTE* t = group.by;
    out[0] = static_cast<BYTE>((t[0] << 2) | ((t[1] >> 4) & 0x03));
    out[1] = static_cast<BYTE>((t[1] << 4) | ((t[2] >> 2) & 0x0F));
    out[2] = static_cast<BYTE>((t[2] << 6) | (t[3] & 0x3F));
}

BOOL Base64Coder::IsWhitespace(BYTE c)
{
    return (c >= 7 && c <= 13) || c == 32;
}
