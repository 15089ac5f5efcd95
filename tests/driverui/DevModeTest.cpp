// The DEVMODE operations the exports build on: defaults, copy, merge and
// hand-back, each compared as whole records with the expected images.
#include "DevMode.h"

#include "DevModeImage.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const DWORD kMarker = 0xC0FFEE;
typedef std::function<void(DevModeImage&)> Change;

const size_t kScale = offsetof(DEVMODEW, dmScale), kCopies = offsetof(DEVMODEW, dmCopies),
             kOrientation = offsetof(DEVMODEW, dmOrientation), kFields = offsetof(DEVMODEW, dmFields),
             kDriverVersion = offsetof(DEVMODEW, dmDriverVersion), kSize = offsetof(DEVMODEW, dmSize),
             kExtra = offsetof(DEVMODEW, dmDriverExtra), kRibbon = 64, kColumn = 512, kLanguage = 16;

DWORD Fields(DevModeImage& image)
{
    return image.DevMode()->dmFields;
}

TEST(SetDefaultDevMode, WritesTheWholeRecordAndNoMore)
{
    std::wstring longName(40, L'n');
    struct {
        LPCWSTR name;
        std::wstring expected;
    } cases[] = {{L"Card Printer", L"Card Printer"}, {nullptr, L""}, {longName.c_str(), std::wstring(31, L'n')}};
    for (const auto& c : cases) {
        GuardedBuffer out(IMAGE_SIZE);
        SetLastError(kMarker);
        EXPECT_TRUE(SetDefaultDevMode(nullptr, out.DevMode(), c.name));
        EXPECT_EQ(kMarker, GetLastError());
        EXPECT_EQ("", ImageDifferences(DevModeImage::Defaults(c.expected.c_str()), out.data())) << c.expected.size();
        EXPECT_TRUE(out.GuardsIntact());
    }
}

TEST(CopyDevMode, CopiesWhatBothRecordsHold)
{
    const DevModeImage source = DevModeImage::Defaults(L"Source");
    struct Case {
        const char* what;
        Change in;
        LONG count;
        Change expect; // applied to the input's image; bytes beyond the output stay as they were
    } cases[] = {
        {"same driver", [](DevModeImage&) {}, 1244, [](DevModeImage&) {}},
        {"no copies becomes one", [](DevModeImage& i) { i.Word(kCopies, 0); }, 1244,
         [](DevModeImage& e) { e.Word(kCopies, 1); }},
        {"another driver gives the public part", [](DevModeImage& i) { i.Word(kDriverVersion, 0x0400).PrivByte(kRibbon, 3); },
         220,
         [](DevModeImage& e) { e.Word(kDriverVersion, 0x0500).PrivByte(kRibbon, 0); }},
        {"another spec version", [](DevModeImage& i) { i.Word(offsetof(DEVMODEW, dmSpecVersion), 0x0400).PrivByte(kRibbon, 3); },
         220, [](DevModeImage& e) { e.Word(offsetof(DEVMODEW, dmSpecVersion), 0x0401).PrivByte(kRibbon, 0); }},
        {"fewer private bytes", [](DevModeImage& i) { i.Word(kExtra, 16).PrivByte(kRibbon, 3); }, 220,
         [](DevModeImage& e) { e.Word(kExtra, 1024).PrivByte(kRibbon, 0); }},
        {"an input cut short within its header", [](DevModeImage& i) { i.Word(kSize, 60); }, 0,
         [](DevModeImage& e) { e = DevModeImage::Defaults(L"Output"); }},
    };
    for (const Case& c : cases) {
        DevModeImage in = source;
        c.in(in);
        DevModeImage expected = in;
        c.expect(expected);
        GuardedBuffer out(IMAGE_SIZE);
        out.Fill(DevModeImage::Defaults(L"Output"), IMAGE_SIZE);
        SetLastError(kMarker);
        EXPECT_EQ(c.count, CopyDevMode(in.DevMode(), out.DevMode())) << c.what;
        EXPECT_EQ(kMarker, GetLastError());
        EXPECT_EQ("", ImageDifferences(expected, out.data())) << c.what;
        EXPECT_TRUE(out.GuardsIntact()) << c.what;
    }
}

TEST(CopyDevMode, AShortOutputKeepsItsShapeAndItsRoom)
{
    // An output of 80 public bytes and none private: its dmCopies lies beyond
    // its own size and is not written.
    DevModeImage in = DevModeImage::Defaults(L"Source");
    in.Word(kCopies, 0);
    GuardedBuffer out(80);
    DevModeImage shape = DevModeImage::Defaults(L"Output");
    shape.Word(kSize, 80).Word(kExtra, 0);
    out.Fill(shape, 80);
    EXPECT_EQ(80, CopyDevMode(in.DevMode(), out.DevMode()));
    DevModeImage expected = in;
    expected.Word(kSize, 80).Word(kExtra, 0);
    EXPECT_EQ("", ImageDifferences(expected, out.data(), 80));
    EXPECT_TRUE(out.GuardsIntact());
    // An output that claims less than its header takes nothing: its private
    // bytes would land on its own sizes.
    DevModeImage cutShape = DevModeImage::Defaults(L"Output");
    cutShape.Word(kSize, 60);
    GuardedBuffer cut(IMAGE_SIZE);
    cut.Fill(cutShape, IMAGE_SIZE);
    EXPECT_EQ(0, CopyDevMode(in.DevMode(), cut.DevMode()));
    EXPECT_EQ("", ImageDifferences(cutShape, cut.data()));
    EXPECT_EQ(-1, CopyDevMode(nullptr, out.DevMode()));
    EXPECT_EQ(-1, CopyDevMode(in.DevMode(), nullptr));
}

TEST(MergeDevMode, TakesEachFieldByItsRule)
{
    struct Case {
        const char* what;
        Change in; // applied to the defaults named "Card In"
        Change expect; // the same, then this
    } cases[] = {
        {"the defaults change only the name", [](DevModeImage&) {}, [](DevModeImage&) {}},
        {"150 copies are one", [](DevModeImage& i) { i.Word(kCopies, 150); }, [](DevModeImage& e) { e.Word(kCopies, 1); }},
        {"99 copies stay", [](DevModeImage& i) { i.Word(kCopies, 99); }, [](DevModeImage&) {}},
        {"orientation 5 is landscape", [](DevModeImage& i) { i.Word(kOrientation, 5); },
         [](DevModeImage& e) { e.Word(kOrientation, 2); }},
        {"scale 20", [](DevModeImage& i) { i.Word(kScale, 20); }, [](DevModeImage& e) { e.Word(kScale, 100); }},
        {"scale 500", [](DevModeImage& i) { i.Word(kScale, 500); }, [](DevModeImage& e) { e.Word(kScale, 100); }},
        {"scale 25", [](DevModeImage& i) { i.Word(kScale, 25); }, [](DevModeImage&) {}},
        {"scale 400", [](DevModeImage& i) { i.Word(kScale, 400); }, [](DevModeImage&) {}},
        {"a scale without its flag stays",
         [](DevModeImage& i) { i.Word(kScale, 50).Dword(kFields, Fields(i) & ~DM_SCALE); },
         [](DevModeImage& e) { e.Word(kScale, 100).Dword(kFields, 0x0581FF1F); }},
        {"any paper is the card",
         [](DevModeImage& i) {
             i.Word(offsetof(DEVMODEW, dmPaperSize), 9).Word(offsetof(DEVMODEW, dmPaperWidth), 2100)
                 .Word(offsetof(DEVMODEW, dmPaperLength), 2970).Text(offsetof(DEVMODEW, dmFormName), L"A4", 32);
         },
         [](DevModeImage& e) {
             e.Word(offsetof(DEVMODEW, dmPaperSize), 600).Word(offsetof(DEVMODEW, dmPaperWidth), 549)
                 .Word(offsetof(DEVMODEW, dmPaperLength), 857).Text(offsetof(DEVMODEW, dmFormName), L"CR-80", 32);
         }},
        {"colour 3 is monochrome", [](DevModeImage& i) { i.Word(offsetof(DEVMODEW, dmColor), 3); },
         [](DevModeImage& e) { e.Word(offsetof(DEVMODEW, dmColor), 1); }},
        {"duplex 3 stays", [](DevModeImage& i) { i.Word(offsetof(DEVMODEW, dmDuplex), 3); }, [](DevModeImage&) {}},
        {"duplex 4 is simplex", [](DevModeImage& i) { i.Word(offsetof(DEVMODEW, dmDuplex), 4); },
         [](DevModeImage& e) { e.Word(offsetof(DEVMODEW, dmDuplex), 1); }},
        {"collate 2 is off", [](DevModeImage& i) { i.Word(offsetof(DEVMODEW, dmCollate), 2); },
         [](DevModeImage& e) { e.Word(offsetof(DEVMODEW, dmCollate), 0); }},
        {"collate 1 stays", [](DevModeImage& i) { i.Word(offsetof(DEVMODEW, dmCollate), 1); }, [](DevModeImage&) {}},
        {"bits per pel become 24 without their flag",
         [](DevModeImage& i) { i.Dword(offsetof(DEVMODEW, dmBitsPerPel), 8).Dword(kFields, Fields(i) | DM_BITSPERPEL); },
         [](DevModeImage& e) { e.Dword(offsetof(DEVMODEW, dmBitsPerPel), 24).Dword(kFields, 0x0581FF1F); }},
        {"a media type sets its flag only",
         [](DevModeImage& i) { i.Dword(offsetof(DEVMODEW, dmMediaType), 5).Dword(kFields, Fields(i) | DM_MEDIATYPE); },
         [](DevModeImage& e) { e.Dword(offsetof(DEVMODEW, dmMediaType), 0); }},
        {"source, resolution and colour matching are taken unchecked",
         [](DevModeImage& i) {
             i.Word(offsetof(DEVMODEW, dmDefaultSource), 15).Word(offsetof(DEVMODEW, dmPrintQuality), 600)
                 .Word(offsetof(DEVMODEW, dmYResolution), 1200).Dword(offsetof(DEVMODEW, dmICMMethod), 4)
                 .Dword(offsetof(DEVMODEW, dmICMIntent), 1);
         },
         [](DevModeImage&) {}},
        {"other public fields never reach the copy",
         [](DevModeImage& i) {
             i.Word(offsetof(DEVMODEW, dmTTOption), 2).Dword(offsetof(DEVMODEW, dmDitherType), 5)
                 .Dword(offsetof(DEVMODEW, dmNup), 2).Dword(offsetof(DEVMODEW, dmPelsWidth), 640);
         },
         [](DevModeImage& e) {
             e.Word(offsetof(DEVMODEW, dmTTOption), 1).Dword(offsetof(DEVMODEW, dmDitherType), 1)
                 .Dword(offsetof(DEVMODEW, dmNup), 1).Dword(offsetof(DEVMODEW, dmPelsWidth), 0);
         }},
        {"the private part of this driver is taken",
         [](DevModeImage& i) { i.PrivByte(kRibbon, 3).PrivWord(kLanguage, 2).PrivByte(322, 0x85).PrivByte(kColumn, 3); },
         [](DevModeImage&) {}},
        {"ribbon 7 is YMCKO", [](DevModeImage& i) { i.PrivByte(kRibbon, 7); }, [](DevModeImage& e) { e.PrivByte(kRibbon, 0); }},
        {"ribbon 254 is YMCKO", [](DevModeImage& i) { i.PrivByte(kRibbon, 254); },
         [](DevModeImage& e) { e.PrivByte(kRibbon, 0); }},
        {"ribbon 255 stays", [](DevModeImage& i) { i.PrivByte(kRibbon, 255); }, [](DevModeImage&) {}},
        {"energy column 4 is the default", [](DevModeImage& i) { i.PrivByte(kColumn, 4); },
         [](DevModeImage& e) { e.PrivByte(kColumn, 2); }},
        {"energy column -1 is the default", [](DevModeImage& i) { i.PrivByte(kColumn, 0xFF); },
         [](DevModeImage& e) { e.PrivByte(kColumn, 2); }},
        {"another driver's private part is never taken",
         [](DevModeImage& i) { i.Word(kDriverVersion, 0x0400).Word(kScale, 50).PrivByte(kRibbon, 3); },
         [](DevModeImage& e) { e.Word(kDriverVersion, 0x0500).PrivByte(kRibbon, 0); }},
        {"a private part of another size is never taken",
         [](DevModeImage& i) { i.Word(kExtra, 1000).Word(kCopies, 7).PrivByte(kRibbon, 3); },
         [](DevModeImage& e) { e.Word(kExtra, 1024).PrivByte(kRibbon, 0); }},
    };
    for (const Case& c : cases) {
        DevModeImage in = DevModeImage::Defaults(L"Card In");
        c.in(in);
        DevModeImage expected = in;
        c.expect(expected);
        DevModeImage working = DevModeImage::Defaults(L"Working");
        SetLastError(kMarker);
        EXPECT_TRUE(MergeDevMode(nullptr, working.DevMode(), in.DevMode())) << c.what;
        EXPECT_EQ(kMarker, GetLastError()) << c.what;
        EXPECT_EQ("", ImageDifferences(expected, working.data())) << c.what;
    }
}

TEST(MergeDevMode, TakesAnOlderPublicPartWithItsPrivatePart)
{
    // A DEVMODE with the 156 public bytes of older systems, the private part
    // right behind them.
    const WORD older = 156;
    DevModeImage in = DevModeImage::Defaults(L"Older");
    in.Word(kSize, older).Word(kScale, 50).PrivByte(kRibbon, 4);
    std::vector<BYTE> record(in.data(), in.data() + older);
    record.insert(record.end(), in.data() + PUBLIC_SIZE, in.data() + IMAGE_SIZE);
    DevModeImage working = DevModeImage::Defaults(L"Working");
    EXPECT_TRUE(MergeDevMode(nullptr, working.DevMode(), reinterpret_cast<DEVMODEW*>(record.data())));
    DevModeImage expected = in;
    expected.Word(kSize, 220);
    EXPECT_EQ("", ImageDifferences(expected, working.data()));
}

TEST(MergeDevMode, NothingOrNothingUsableLeavesTheCopyAlone)
{
    const DevModeImage before = DevModeImage::Defaults(L"Working");
    DevModeImage working = before;
    SetLastError(kMarker);
    EXPECT_TRUE(MergeDevMode(nullptr, working.DevMode(), nullptr));
    EXPECT_EQ(kMarker, GetLastError());
    // Nothing public, or a header cut short with private bytes behind it.
    for (WORD extra : {0, 1024}) {
        DevModeImage unusable = DevModeImage::Defaults(L"Unusable");
        unusable.Word(kSize, extra ? 60 : 0).Word(kExtra, extra);
        SetLastError(kMarker);
        EXPECT_FALSE(MergeDevMode(nullptr, working.DevMode(), unusable.DevMode())) << extra;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << extra;
        EXPECT_EQ("", ImageDifferences(before, working.data())) << extra;
    }
}

TEST(MergeDevMode, AnUnterminatedNameIsCut)
{
    DevModeImage in = DevModeImage::Defaults(nullptr);
    std::vector<WCHAR> name(32, L'x');
    in.Put(0, name.data(), 64);
    DevModeImage working = DevModeImage::Defaults(L"Working");
    EXPECT_TRUE(MergeDevMode(nullptr, working.DevMode(), in.DevMode()));
    EXPECT_EQ("", ImageDifferences(DevModeImage::Defaults(std::wstring(31, L'x').c_str()), working.data()));
}

// The caller's shape: its public size and private bytes, at most the
// driver's. The working image shaped so, its private bytes right behind its
// public part, and the rest of the caller's buffer as it was.
DevModeImage Returned(const DevModeImage& working, WORD size, WORD extra)
{
    DevModeImage shaped = working;
    shaped.Word(kSize, size).Word(kExtra, extra);
    std::vector<BYTE> bytes(shaped.data(), shaped.data() + size);
    bytes.insert(bytes.end(), working.data() + PUBLIC_SIZE, working.data() + PUBLIC_SIZE + extra);
    bytes.resize(IMAGE_SIZE, GuardedBuffer::FILL);
    DevModeImage image;
    image.bytes() = bytes;
    return image;
}

TEST(ReturnDevMode, GivesTheCallerItsShape)
{
    DevModeImage working = DevModeImage::Defaults(L"Working");
    working.PrivByte(kRibbon, 3).Word(kScale, 80);
    auto caller = [](WORD size, WORD extra) {
        DevModeImage i = DevModeImage::Defaults(L"Caller");
        return i.Word(kSize, size).Word(kExtra, extra);
    };
    const DevModeImage whole = caller(220, 1024), older = caller(156, 1024), publicOnly = caller(220, 0),
                       shortHeader = caller(60, 1024), tiny = caller(10, 0);
    struct Case {
        const char* what;
        const DevModeImage* in;
        bool withOut;
        BOOL ok;
        WORD size, extra; // the shape written
    } cases[] = {
        {"no input: the whole record", nullptr, true, TRUE, 220, 1024},
        {"this driver's record", &whole, true, TRUE, 220, 1024},
        {"an older public part", &older, true, TRUE, 156, 1024},
        {"no private part", &publicOnly, true, TRUE, 220, 0},
        {"a header cut short, private bytes behind it", &shortHeader, true, FALSE, 0, 0},
        {"a header cut short", &tiny, true, FALSE, 0, 0},
        {"no output", &whole, false, FALSE, 0, 0},
    };
    for (const Case& c : cases) {
        // Sized from the size query; nothing in it is read.
        GuardedBuffer out(IMAGE_SIZE);
        SetLastError(kMarker);
        EXPECT_EQ(c.ok, ReturnDevMode(working.DevMode(), c.in ? c.in->DevMode() : nullptr,
                                      c.withOut ? out.DevMode() : nullptr))
            << c.what;
        EXPECT_EQ(c.ok ? kMarker : static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError()) << c.what;
        if (c.ok) {
            EXPECT_EQ("", ImageDifferences(Returned(working, c.size, c.extra), out.data())) << c.what;
            EXPECT_TRUE(out.GuardsIntact()) << c.what;
        } else {
            EXPECT_TRUE(out.Untouched()) << c.what;
        }
    }
}

} // namespace
