#include "Utilities.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

const DWORD kMarker = 0xC0FFEE;

template <typename T>
void Put(std::string& bytes, size_t at, T value)
{
    memcpy(&bytes[at], &value, sizeof(T));
}

// A bottom-up bitmap file: 14-byte file header, 40-byte information header,
// the palette (entries of blue, green, red, 0) and the rows as given.
std::string MakeBitmap(LONG width, LONG height, WORD bits, const std::string& pixels,
                       const std::vector<DWORD>& palette = {}, DWORD compression = 0)
{
    std::string bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    for (DWORD entry : palette)
        bytes.append(reinterpret_cast<const char*>(&entry), 4);
    DWORD offset = DWORD(bytes.size());
    bytes += pixels;
    Put<DWORD>(bytes, 2, DWORD(bytes.size()));
    Put<DWORD>(bytes, 10, offset);
    Put<DWORD>(bytes, 14, 40);
    Put<LONG>(bytes, 18, width);
    Put<LONG>(bytes, 22, height);
    Put<WORD>(bytes, 26, 1);
    Put<WORD>(bytes, 28, bits);
    Put<DWORD>(bytes, 30, compression);
    Put<DWORD>(bytes, 46, palette.size() == 256 ? 0 : DWORD(palette.size()));
    return bytes;
}

std::vector<DWORD> GreyPalette()
{
    std::vector<DWORD> palette(256);
    for (DWORD i = 0; i < 256; ++i)
        palette[i] = i | (i << 8) | (i << 16);
    return palette;
}

class BitmapFiles : public testing::Test {
protected:
    ScratchFolder folder{L"bitmap"};
    std::wstring path = folder.File(L"picture.bmp");
    BitmapImage image = {};

    void TearDown() override { delete[] image.pBits; }
    DWORD Read(const std::string& bytes)
    {
        EXPECT_TRUE(ScratchFolder::Write(path, bytes));
        return ReadBitmapFile(path.c_str(), &image);
    }
};

TEST_F(BitmapFiles, Reads24BitRowsInFileOrder)
{
    // 3 pixels of 3 bytes make 9 bytes a row, padded to 12.
    std::string pixels;
    for (int row = 0; row < 2; ++row) {
        for (int i = 0; i < 9; ++i)
            pixels += char(row * 16 + i);
        pixels += std::string(3, char(0xEE));
    }
    image.dwReserved = 0xFFFFFFFF;
    SetLastError(kMarker);
    ASSERT_EQ(0u, Read(MakeBitmap(3, 2, 24, pixels)));
    EXPECT_EQ(0u, image.dwReserved);
    EXPECT_EQ(3, image.lWidth);
    EXPECT_EQ(2, image.lHeight);
    EXPECT_EQ(12u, image.dwStride);
    EXPECT_EQ(1, image.wPlanes);
    EXPECT_EQ(24, image.wBitCount);
    ASSERT_NE(nullptr, image.pBits);
    EXPECT_EQ(0, memcmp(pixels.data(), image.pBits, 24));
}

TEST_F(BitmapFiles, EightBitPixelsBecomeTheirPaletteBlueLevel)
{
    // 5 pixels a row, padded to 8; the padding is mapped as well.
    std::string pixels = std::string("\x00\x01\x7F\x80\xFF", 5) + std::string(3, '\x02') +
                         std::string("\x10\x20\x30\x40\x50", 5) + std::string(3, '\x00');
    ASSERT_EQ(0u, Read(MakeBitmap(5, 2, 8, pixels, GreyPalette())));
    EXPECT_EQ(8u, image.dwStride);
    EXPECT_EQ(8, image.wBitCount);
    EXPECT_EQ(0, memcmp(pixels.data(), image.pBits, 16));

    // Only the blue byte of an entry counts.
    std::vector<DWORD> palette(256, 0x00FFFF00);
    palette[1] = 0x00000042;
    ASSERT_EQ(0u, Read(MakeBitmap(4, 1, 8, std::string("\x01\x00\x01\x05", 4), palette)));
    EXPECT_EQ(0, memcmp("\x42\x00\x42\x00", image.pBits, 4));
}

TEST_F(BitmapFiles, AShortPaletteGivesIndexesPastItNoColour)
{
    ASSERT_EQ(0u, Read(MakeBitmap(4, 1, 8, std::string("\x00\x01\x02\xFF", 4), {0x11, 0x22})));
    EXPECT_EQ(0, memcmp("\x11\x22\x00\x00", image.pBits, 4));
}

TEST_F(BitmapFiles, OtherDepthsAndCompressedPicturesAreNotSupported)
{
    const struct {
        WORD bits;
        DWORD compression;
    } cases[] = {{16, 0}, {32, 0}, {1, 0}, {4, 0}, {8, 1}, {24, 3}};
    for (const auto& c : cases) {
        image = BitmapImage();
        SetLastError(kMarker);
        EXPECT_EQ(DWORD(ERROR_NOT_SUPPORTED), Read(MakeBitmap(2, 2, c.bits, std::string(64, '\0'), GreyPalette(), c.compression)))
            << c.bits;
        EXPECT_EQ(DWORD(ERROR_NOT_SUPPORTED), GetLastError());
        EXPECT_EQ(nullptr, image.pBits);
    }
    // Top-down rows would reach the callers upside down.
    EXPECT_EQ(DWORD(ERROR_NOT_SUPPORTED), Read(MakeBitmap(4, -1, 24, std::string(12, '\0'))));
}

TEST_F(BitmapFiles, SizesAndOffsetsOutsideTheFileAreInvalidData)
{
    std::string good = MakeBitmap(4, 2, 24, std::string(24, '\x33'));
    std::vector<std::string> bad;
    bad.push_back(good.substr(0, good.size() - 1));     // last row short by one byte
    bad.push_back(good.substr(0, 53));                  // headers cut
    std::string b = good;
    Put<DWORD>(b, 10, DWORD(good.size() + 1));          // pixel offset past the end
    bad.push_back(b);
    b = good;
    Put<DWORD>(b, 10, 0xFFFFFFFF);
    bad.push_back(b);
    b = good;
    Put<LONG>(b, 18, 0x7FFFFFFF);                       // rows far longer than the file
    Put<LONG>(b, 22, 0x7FFFFFFF);
    bad.push_back(b);
    b = good;
    Put<LONG>(b, 18, 0);                                // no width
    bad.push_back(b);
    b = good;
    Put<DWORD>(b, 14, 0xFFFFFFF0);                      // information header past the end
    bad.push_back(b);
    b = good;
    b[0] = 'X';                                         // no signature
    bad.push_back(b);
    std::string eight = MakeBitmap(4, 1, 8, std::string(4, '\0'), GreyPalette());
    b = eight;
    Put<DWORD>(b, 46, 257);                             // more colours than a palette holds
    bad.push_back(b);
    bad.push_back(MakeBitmap(4, 1, 8, "", {}).substr(0, 54) + std::string(100, '\0')); // palette cut
    for (size_t i = 0; i < bad.size(); ++i) {
        image = BitmapImage();
        image.lWidth = 99;
        SetLastError(kMarker);
        EXPECT_EQ(DWORD(ERROR_INVALID_DATA), Read(bad[i])) << "case " << i;
        EXPECT_EQ(DWORD(ERROR_INVALID_DATA), GetLastError()) << "case " << i;
        EXPECT_EQ(99, image.lWidth) << "case " << i;
        EXPECT_EQ(nullptr, image.pBits) << "case " << i;
    }
}

TEST_F(BitmapFiles, MissingArgumentsAndFilesAreReported)
{
    SetLastError(kMarker);
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), ReadBitmapFile(nullptr, &image));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), ReadBitmapFile(L"", &image));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), ReadBitmapFile(path.c_str(), nullptr));
    SetLastError(kMarker);
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), ReadBitmapFile(folder.File(L"none.bmp").c_str(), &image));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    EXPECT_EQ(nullptr, image.pBits);
}

std::vector<BYTE> Rows(std::initializer_list<const char*> rows)
{
    std::vector<BYTE> bytes;
    for (const char* row : rows)
        bytes.insert(bytes.end(), row, row + 4);
    return bytes;
}

TEST(FlipBitmapRows, SwapsRowsAroundTheMiddle)
{
    std::vector<BYTE> one = Rows({"abcd"});
    BitmapImage image = {0, 1, 1, 4, 1, 24, one.data()};
    EXPECT_EQ(0u, FlipBitmapRows(&image));
    EXPECT_EQ(Rows({"abcd"}), one);

    std::vector<BYTE> three = Rows({"1111", "2222", "3333"});
    image.lHeight = 3;
    image.pBits = three.data();
    EXPECT_EQ(0u, FlipBitmapRows(&image));
    EXPECT_EQ(Rows({"3333", "2222", "1111"}), three);

    std::vector<BYTE> four = Rows({"1111", "2222", "3333", "4444"});
    image.lHeight = 4;
    image.pBits = four.data();
    EXPECT_EQ(0u, FlipBitmapRows(&image));
    EXPECT_EQ(Rows({"4444", "3333", "2222", "1111"}), four);
}

TEST(FlipBitmapRows, RefusesAnImageWithoutPixels)
{
    BitmapImage image = {0, 1, 3, 4, 1, 24, nullptr};
    SetLastError(kMarker);
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), FlipBitmapRows(&image));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), FlipBitmapRows(nullptr));
}

// Valid pictures changed at random, many times: every answer must be a clean
// success or a clean error, and a success must describe a buffer the file held.
TEST_F(BitmapFiles, SurvivesRandomlyChangedFiles)
{
    std::string pixels8(6 * 3, '\0'), pixels24(20 * 3, '\0');
    for (size_t i = 0; i < pixels24.size(); ++i)
        pixels24[i] = char(i * 13);
    for (size_t i = 0; i < pixels8.size(); ++i)
        pixels8[i] = char(i * 29);
    const std::string seeds[] = {MakeBitmap(5, 3, 8, pixels8, GreyPalette()), MakeBitmap(6, 3, 24, pixels24)};
    std::mt19937 random(20240611);
    int successes = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string bytes = seeds[round % 2];
        int changes = 1 + int(random() % 6);
        for (int c = 0; c < changes; ++c) {
            // Mostly the headers, where the sizes and offsets are.
            size_t at = random() % 3 ? random() % 54 : random() % bytes.size();
            bytes[at] = char(random() % 4 == 0 ? 0xFF : random());
        }
        if (random() % 8 == 0)
            bytes.resize(random() % bytes.size());
        image = BitmapImage();
        DWORD result = Read(bytes);
        if (result == 0) {
            ++successes;
            ASSERT_NE(nullptr, image.pBits);
            ASSERT_GT(image.lWidth, 0);
            ASSERT_GT(image.lHeight, 0);
            ASSERT_LE(ULONGLONG(image.dwStride) * ULONGLONG(image.lHeight), bytes.size());
            // Touch every byte of the buffer.
            unsigned sum = 0;
            for (ULONGLONG i = 0; i < ULONGLONG(image.dwStride) * ULONGLONG(image.lHeight); ++i)
                sum += image.pBits[i];
            (void)sum;
            delete[] image.pBits;
            image.pBits = nullptr;
        } else {
            ASSERT_EQ(nullptr, image.pBits) << "round " << round;
        }
    }
    // The run is not vacuous: some changed files are still pictures.
    EXPECT_GT(successes, 50);
}

} // namespace
