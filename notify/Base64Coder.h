// Base64Coder: the standard Base64 alphabet with "=" padding and no line
// breaks. The sender encodes the WM_COPYDATA record with it, the receiver
// decodes it. Decoding is lenient: it never fails, skips whitespace anywhere,
// reads an alphabet character or "=" with its high bit set like the plain
// one, and joins any other byte's table value as it is.
#pragma once

#include <windows.h>

// One group: three data bytes to encode or four table values to decode, and
// how many of them are there (1 to 3 bytes, 1 to 4 characters).
struct Base64Group {
    BYTE by[4];
    BYTE count;
};

class Base64Coder {
public:
    Base64Coder();
    virtual ~Base64Coder();
    Base64Coder(const Base64Coder&) = delete;
    Base64Coder& operator=(const Base64Coder&) = delete;

    // Does nothing for NULL, else encodes the bytes up to the terminating zero.
    virtual void Encode(const BYTE* zeroTerminated);
    virtual void Encode(const BYTE* bytes, DWORD length);
    // Does nothing for NULL, else decodes the text up to the terminating zero.
    virtual void Decode(const char* zeroTerminated);
    virtual void Decode(const char* text, DWORD length);
    virtual BYTE* DecodedMessage();
    // The encoded text, zero-terminated ("" before the first encoding).
    virtual const char* EncodedMessage();
    // Make the buffer at least n bytes, zeroed, its length 0; FALSE when it
    // cannot be had (the buffer is then absent).
    virtual BOOL AllocEncode(DWORD n);
    virtual BOOL AllocDecode(DWORD n);
    // Takes the text to decode without its whitespace.
    virtual void SetDecodeInput(const char* text, DWORD n);
    virtual void SetEncodeInput(const BYTE* bytes, DWORD n);
    virtual void EncodeGroup(const Base64Group& group, char* out);
    virtual void DecodeGroup(const Base64Group& group, BYTE* out);
    virtual void SplitSextets(BYTE* out, const Base64Group& group);
    virtual void JoinSextets(BYTE* out, const Base64Group& group);
    // TRUE for the bytes 7 to 13 and 32.
    virtual BOOL IsWhitespace(BYTE c);

    // Decoded bytes: three for every group of the text, padding included.
    DWORD DecodedLength() const { return m_dwDataLength; }
    DWORD EncodedLength() const { return m_dwTextLength; }

    // Fills the shared decode table; the first decode in the library runs it.
    static void BuildDecodeTable();

private:
    BYTE* m_pData;
    char* m_pText;
    DWORD m_dwDataCapacity;
    DWORD m_dwTextCapacity;
    DWORD m_dwDataLength;
    DWORD m_dwTextLength;
};

// Characters of the Base64 text of n bytes, terminator not counted.
constexpr DWORD Base64TextLength(DWORD n)
{
    return (n + 2) / 3 * 4;
}
