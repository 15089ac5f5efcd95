// LUT files and caller streams through LoadColorLUT_o and
// LoadColorLUTFromZbIO: names, every section and flag, the reads a stream
// sees, and the state a failed load leaves.
#include "ColourTestFlow.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A LUT without grid whose channel tables all point at level k: with neutral
// adjustments every plane byte of a bright image is then k, which tells the
// loaded LUTs apart.
LutSpec MarkedLut(float k, uint8_t channels = 3)
{
    LutSpec spec;
    spec.tables = true;
    spec.channels = channels;
    spec.tableData.assign((size_t)channels * 256, k);
    return spec;
}

class TempDir {
public:
    TempDir()
    {
        static int s_count;
        m_Path = fs::temp_directory_path() / ("qelcolour-" + std::to_string(std::rand()) + "-" +
                                              std::to_string(++s_count));
        fs::create_directories(m_Path);
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(m_Path, ignored);
    }
    const fs::path& Path() const { return m_Path; }
    // The directory as LoadColorLUT_o takes it: ending in a separator.
    std::u16string Arg() const { return m_Path.u16string() + (char16_t)fs::path::preferred_separator; }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        std::ofstream out(m_Path / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
    }

private:
    fs::path m_Path;
};

class ColourLut : public FlowTest {
protected:
    // The plane byte the current LUT gives a bright grey pixel, or -1 when
    // the conversion fails.
    int Marker(uint32_t format = COLOR_FMT_PLANAR3)
    {
        const uint8_t pixel[3] = {150, 150, 150};
        uint8_t planes[3] = {};
        if (!ColorConvert_o(m_pFlow, pixel, 1, 1, 3, COLOR_FMT_BGR24, planes, 1, 1, 1, format))
            return -1;
        EXPECT_EQ(planes[0], planes[1]);
        EXPECT_EQ(planes[0], planes[2]);
        return planes[0];
    }
    // Whether the current LUT converts into the format at all.
    bool Converts(uint32_t format = COLOR_FMT_PLANAR3)
    {
        const uint8_t pixel[3] = {150, 150, 150};
        uint8_t planes[3] = {};
        return ColorConvert_o(m_pFlow, pixel, 1, 1, 3, COLOR_FMT_BGR24, planes, 1, 1, 1, format);
    }
    bool LoadFile(const std::u16string& dir, int index)
    {
        return LoadColorLUT_o(m_pFlow, dir.c_str(), 0, 0, 0, index);
    }

    TempDir m_Dir;
};

// ---- files ----

TEST_F(ColourLut, IndexCharactersRunFromDigitsToZ)
{
    m_Dir.Write("LUTCT4S0.bin", BuildLutBytes(MarkedLut(10)));
    m_Dir.Write("LUTCT4S9.bin", BuildLutBytes(MarkedLut(19)));
    m_Dir.Write("LUTCT4SA.bin", BuildLutBytes(MarkedLut(20)));
    m_Dir.Write("LUTCT4SZ.bin", BuildLutBytes(MarkedLut(45)));
    const std::pair<int, int> cases[] = {{0, 10}, {9, 19}, {10, 20}, {35, 45}};
    for (const auto& c : cases) {
        PrimeLastError();
        EXPECT_TRUE(LoadFile(m_Dir.Arg(), c.first)) << c.first;
        EXPECT_EQ(kMarkerError, GetLastErrorCode_o(m_pFlow));
        EXPECT_EQ(c.second, Marker()) << c.first;
    }
}

TEST_F(ColourLut, IndexOutOfRangeIsRefusedAndKeepsTheLut)
{
    m_Dir.Write("LUTCT4S0.bin", BuildLutBytes(MarkedLut(10)));
    // What an index of 36 would name if it were not refused.
    m_Dir.Write("LUTCT4S[.bin", BuildLutBytes(MarkedLut(99)));
    ASSERT_TRUE(LoadFile(m_Dir.Arg(), 0));
    for (int index : {36, -1, 1000, INT32_MIN}) {
        EXPECT_FALSE(LoadFile(m_Dir.Arg(), index)) << index;
        EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
        EXPECT_EQ(10, Marker());
    }
}

TEST_F(ColourLut, DirectoryIsUsedAsItStands)
{
    m_Dir.Write("prefixLUTCT4S3.bin", BuildLutBytes(MarkedLut(33)));
    const std::u16string joined = m_Dir.Arg() + u"prefix";
    EXPECT_TRUE(LoadFile(joined, 3));
    EXPECT_EQ(33, Marker());
}

TEST_F(ColourLut, NullDirectoryKeepsTheLut)
{
    ASSERT_TRUE(LoadLut(MarkedLut(12)));
    EXPECT_FALSE(LoadColorLUT_o(m_pFlow, nullptr, 0, 0, 0, 0));
    EXPECT_EQ(kInvalidAccess, GetLastErrorCode_o(m_pFlow));
    EXPECT_EQ(12, Marker());
}

TEST_F(ColourLut, MissingFileEmptiesTheLut)
{
    ASSERT_TRUE(LoadLut(MarkedLut(12)));
    EXPECT_FALSE(LoadFile(m_Dir.Arg(), 7));
    EXPECT_EQ(kOpenFailed, GetLastErrorCode_o(m_pFlow));
    EXPECT_EQ(-1, Marker());
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
}

TEST_F(ColourLut, DirectoryMustLeaveRoomForTheName)
{
    ASSERT_TRUE(LoadLut(MarkedLut(12)));
    // 512 units hold the directory, the 12-unit name and the terminator.
    const std::u16string fits(499, u'd'), tooLong(500, u'd');
    EXPECT_FALSE(LoadFile(tooLong, 0));
    EXPECT_EQ(kPathTooLong, GetLastErrorCode_o(m_pFlow));
    EXPECT_EQ(12, Marker());
    // The longest directory gets as far as opening the file.
    EXPECT_FALSE(LoadFile(fits, 0));
    EXPECT_EQ(kOpenFailed, GetLastErrorCode_o(m_pFlow));
}

TEST_F(ColourLut, SixteenByteFileWithoutSectionsLoads)
{
    LutSpec spec;
    spec.channels = 4;
    m_Dir.Write("LUTCT4S1.bin", BuildLutBytes(spec));
    ASSERT_TRUE(LoadFile(m_Dir.Arg(), 1));
    // The channel count still comes from the header.
    EXPECT_EQ(105, Marker(COLOR_FMT_PLANAR4));
    EXPECT_EQ(-1, Marker(COLOR_FMT_PLANAR3));
}

TEST_F(ColourLut, FifteenByteFileFails)
{
    ASSERT_TRUE(LoadLut(MarkedLut(12)));
    std::vector<uint8_t> bytes = BuildLutBytes(LutSpec());
    bytes.pop_back();
    m_Dir.Write("LUTCT4S2.bin", bytes);
    EXPECT_FALSE(LoadFile(m_Dir.Arg(), 2));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
    EXPECT_EQ(-1, Marker());
}

TEST_F(ColourLut, FileWithEverySectionLoads)
{
    std::mt19937 rng(5);
    LutSpec spec = RandomLut(rng, 9, 4, true, true, true);
    m_Dir.Write("LUTCT4SB.bin", BuildLutBytes(spec));
    EXPECT_TRUE(LoadFile(m_Dir.Arg(), 11));
    EXPECT_TRUE(Converts(COLOR_FMT_PLANAR4));
    EXPECT_FALSE(Converts(COLOR_FMT_PLANAR3));
}

// ---- streams ----

TEST_F(ColourLut, StreamIsReadInOrderWithoutSeeking)
{
    std::mt19937 rng(1);
    const LutSpec spec = RandomLut(rng, 5, 4, true, true, true);
    MemoryStream stream(BuildLutBytes(spec));
    ASSERT_TRUE(LoadColorLUTFromZbIO(m_pFlow, 16, &stream));
    const std::vector<int> expected = {1, 1, 1, 1, 1, 11, 3072, 4 * 1024, 5 * 5 * 5 * 4};
    EXPECT_EQ(expected, stream.ReadCounts());
    for (const std::string& call : stream.Calls())
        EXPECT_EQ("Read", call);
}

TEST_F(ColourLut, EachSectionIsReadOnlyWhenFlagged)
{
    for (int flags = 0; flags < 8; flags++) {
        std::mt19937 rng(flags);
        const LutSpec spec = RandomLut(rng, 3, 3, flags & 1, flags & 2, flags & 4);
        MemoryStream stream(BuildLutBytes(spec));
        ASSERT_TRUE(LoadColorLUTFromZbIO(m_pFlow, 16, &stream)) << flags;
        std::vector<int> expected = {1, 1, 1, 1, 1, 11};
        if (flags & 1)
            expected.push_back(3072);
        if (flags & 2)
            expected.push_back(3 * 1024);
        if (flags & 4)
            expected.push_back(27 * 3);
        EXPECT_EQ(expected, stream.ReadCounts()) << flags;
        EXPECT_TRUE(Converts()) << flags;
    }
}

TEST_F(ColourLut, NullStreamOrShortSizeEmptiesTheLut)
{
    ASSERT_TRUE(LoadLut(MarkedLut(12)));
    EXPECT_FALSE(LoadColorLUTFromZbIO(m_pFlow, 100, nullptr));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
    EXPECT_EQ(-1, Marker());

    ASSERT_TRUE(LoadLut(MarkedLut(12)));
    MemoryStream stream(BuildLutBytes(MarkedLut(40)));
    EXPECT_FALSE(LoadColorLUTFromZbIO(m_pFlow, 15, &stream));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
    EXPECT_TRUE(stream.Calls().empty());
    EXPECT_EQ(-1, Marker());
}

TEST_F(ColourLut, HeaderBytesNeedAtLeastOneByteEach)
{
    for (int read = 0; read < 5; read++) {
        for (int reported : {0, -1}) {
            ASSERT_TRUE(LoadLut(MarkedLut(12)));
            MemoryStream stream(BuildLutBytes(MarkedLut(40)));
            stream.ForceRead(read, reported);
            EXPECT_FALSE(LoadColorLUTFromZbIO(m_pFlow, 2000, &stream)) << read << " " << reported;
            EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
            EXPECT_EQ((size_t)read + 1, stream.ReadCounts().size());
            EXPECT_EQ(-1, Marker());
        }
    }
    // A stream that claims more than the one byte asked for is taken at its word.
    MemoryStream generous(BuildLutBytes(MarkedLut(40)));
    generous.ForceRead(2, 2);
    EXPECT_TRUE(LoadColorLUTFromZbIO(m_pFlow, 2000, &generous));
    EXPECT_EQ(40, Marker());
}

TEST_F(ColourLut, ReservedBytesMustArriveWhole)
{
    for (int reported : {10, 12, 0, -1}) {
        MemoryStream stream(BuildLutBytes(MarkedLut(40)));
        stream.ForceRead(5, reported);
        EXPECT_FALSE(LoadColorLUTFromZbIO(m_pFlow, 2000, &stream)) << reported;
        EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
        EXPECT_EQ(6u, stream.ReadCounts().size());
    }
}

TEST_F(ColourLut, CurvesCountMayCarryTwoSpareBits)
{
    std::mt19937 rng(2);
    const std::vector<uint8_t> bytes = BuildLutBytes(RandomLut(rng, 0, 3, true, false, false));
    const std::pair<int, bool> cases[] = {{3071, false}, {3072, true}, {3073, true}, {3075, true},
                                          {3076, false}, {-1, false},  {0, false}};
    for (const auto& c : cases) {
        MemoryStream stream(bytes);
        stream.ForceRead(6, c.first);
        EXPECT_EQ(c.second, LoadColorLUTFromZbIO(m_pFlow, 16, &stream)) << c.first;
        if (!c.second) {
            EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
        }
        EXPECT_EQ(c.second, Converts()) << c.first;
    }
}

TEST_F(ColourLut, ChannelTablesCountMayCarryTwoSpareBits)
{
    const std::vector<uint8_t> bytes = BuildLutBytes(MarkedLut(40, 4));
    const std::pair<int, bool> cases[] = {{4095, false}, {4096, true}, {4099, true}, {4100, false}, {-1, false}};
    for (const auto& c : cases) {
        MemoryStream stream(bytes);
        stream.ForceRead(6, c.first);
        EXPECT_EQ(c.second, LoadColorLUTFromZbIO(m_pFlow, 16, &stream)) << c.first;
        EXPECT_EQ(c.second ? 40 : -1, Marker(COLOR_FMT_PLANAR4)) << c.first;
    }
}

TEST_F(ColourLut, ShortGridEmptiesTheLut)
{
    const std::vector<uint8_t> bytes = BuildLutBytes(ComplementGridLut(5, 3));
    for (int reported : {5 * 5 * 5 * 3 - 1, 5 * 5 * 5 * 3 + 1, 0}) {
        ASSERT_TRUE(LoadLut(MarkedLut(12)));
        MemoryStream stream(bytes);
        stream.ForceRead(6, reported);
        EXPECT_FALSE(LoadColorLUTFromZbIO(m_pFlow, 16, &stream)) << reported;
        EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
        EXPECT_EQ(-1, Marker());
    }
    // A stream that simply ends early, too.
    std::vector<uint8_t> cut = bytes;
    cut.resize(cut.size() - 1);
    MemoryStream stream(cut);
    EXPECT_FALSE(LoadColorLUTFromZbIO(m_pFlow, (uint32_t)cut.size(), &stream));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
}

TEST_F(ColourLut, EveryPowerOfTwoGridLoads)
{
    for (uint8_t n : {3, 5, 9, 17, 33, 65, 129}) {
        EXPECT_TRUE(LoadLut(ComplementGridLut(n, 3))) << (int)n;
        // The complement grid prints 255 - 150.
        EXPECT_EQ(105, Marker()) << (int)n;
    }
}

TEST_F(ColourLut, GridOfAnotherSizeOrChannelCountIsRefused)
{
    const std::pair<uint8_t, uint8_t> cases[] = {{2, 3}, {4, 3}, {16, 3}, {0, 3}, {255, 3}, {130, 3},
                                                 {17, 0}, {17, 5}, {17, 255}};
    for (const auto& c : cases) {
        ASSERT_TRUE(LoadLut(MarkedLut(12)));
        LutSpec spec;
        spec.grid = true;
        spec.gridPoints = c.first;
        spec.channels = c.second;
        spec.gridData.assign(64, 0);
        MemoryStream stream(BuildLutBytes(spec));
        EXPECT_FALSE(LoadColorLUTFromZbIO(m_pFlow, 16, &stream)) << (int)c.first << " " << (int)c.second;
        EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
        // Refused on the header: the grid is never read.
        EXPECT_EQ(6u, stream.ReadCounts().size());
        EXPECT_EQ(-1, Marker());
    }
}

TEST_F(ColourLut, ManyChannelsWithoutGridLoad)
{
    EXPECT_TRUE(LoadLut(MarkedLut(40, 5)));
    // No destination has five channels.
    EXPECT_EQ(-1, Marker(COLOR_FMT_PLANAR3));
    EXPECT_EQ(-1, Marker(COLOR_FMT_PLANAR4));
    EXPECT_EQ(kInvalidData, GetLastErrorCode_o(m_pFlow));
}

TEST_F(ColourLut, NewLoadRebuildsTheTables)
{
    ASSERT_TRUE(LoadLut(MarkedLut(10)));
    EXPECT_EQ(10, Marker());
    ASSERT_TRUE(LoadLut(MarkedLut(30)));
    EXPECT_EQ(30, Marker());
    // The same arrays are reused for a LUT of the same shape; one that
    // drops the tables prints through the plain path.
    ASSERT_TRUE(LoadPlainLut());
    EXPECT_EQ(105, Marker());
}

} // namespace
