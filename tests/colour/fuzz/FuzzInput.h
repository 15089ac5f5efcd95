// Reads a fuzz input as a sequence of choices; past its end every choice is 0,
// so any input, however short, makes one whole call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <vector>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_pData(data), m_nSize(size), m_nAt(0) {}

    uint8_t Byte() { return m_nAt < m_nSize ? m_pData[m_nAt++] : 0; }
    template <class T, size_t N>
    T Pick(const T (&choices)[N]) { return choices[Byte() % N]; }
    // What is left, repeated to fill count bytes (zeros when nothing is left).
    std::vector<uint8_t> Fill(size_t count)
    {
        std::vector<uint8_t> out(count, 0);
        const size_t left = m_nSize - m_nAt;
        for (size_t i = 0; i < count && left; i++)
            out[i] = m_pData[m_nAt + i % left];
        return out;
    }

private:
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nAt;
};

// The bytes an image of these arguments spans; 1 for an empty or invalid
// image, so the engine is handed a buffer it must not read beyond.
inline size_t ImageSpan(int rows, int cols, int stride, uint32_t format)
{
    if (rows <= 0 || cols <= 0 || stride < 0)
        return 1;
    if (format == 0xC000 || format == 0xC080)
        return (size_t)rows * cols * 3;
    const size_t bpp = (format & 0x8000) ? 1 : (format & 0x80) ? 4 : 3;
    if ((size_t)stride < cols * bpp)
        return 1;
    return (size_t)(rows - 1) * stride + cols * bpp;
}

// The image arguments of a conversion, fuzzed: sizes up to 23, the same
// size on both sides half of the time, formats from the lists given, and
// strides around a row (one short of it now and then, planar ones off by one
// now and then).
struct FuzzImages {
    int srcRows, srcCols, srcStride, dstRows, dstCols, dstStride;
    uint32_t srcFormat, dstFormat;

    template <size_t S, size_t D>
    FuzzImages(FuzzInput& in, const uint32_t (&sources)[S], const uint32_t (&targets)[D])
    {
        srcRows = in.Byte() % 24;
        srcCols = in.Byte() % 24;
        const bool sameSize = in.Byte() % 2;
        dstRows = sameSize ? srcRows : in.Byte() % 24;
        dstCols = sameSize ? srcCols : in.Byte() % 24;
        srcFormat = in.Pick(sources);
        dstFormat = in.Pick(targets);
        srcStride = Stride(in, srcCols, srcFormat);
        dstStride = Stride(in, dstCols, dstFormat);
    }

    static int Stride(FuzzInput& in, int cols, uint32_t format)
    {
        if (format == 0xC000 || format == 0xC080)
            return cols + ((in.Byte() % 8) == 0 ? 1 : 0);
        const int bpp = (format & 0x8000) ? 1 : (format & 0x80) ? 4 : 3;
        return cols * bpp + (int)(in.Byte() % 9) - 1;
    }
};

// A finding: the replay and the fuzzer both stop here.
inline void FuzzCheck(bool condition)
{
    if (!condition)
        std::abort();
}

// What a conversion must come to: a failure with one of the codes allowed and
// the destination as it was, or a success with the reference's bytes (the
// reference writes into a copy of the destination as it was).
template <class Reference>
void FuzzCheckOutcome(bool converted, uint32_t error, std::initializer_list<uint32_t> allowed,
                      const std::vector<uint8_t>& got, const std::vector<uint8_t>& before, Reference reference)
{
    if (!converted) {
        FuzzCheck(std::find(allowed.begin(), allowed.end(), error) != allowed.end());
        FuzzCheck(got == before);
        return;
    }
    std::vector<uint8_t> want = before;
    FuzzCheck(reference(want.data()));
    FuzzCheck(got == want);
}
