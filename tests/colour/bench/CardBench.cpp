#include "CardBench.h"

#include "PixelFormat.h"
#include "QelColor.h"
#include "ReferenceColor.h"

#include <algorithm>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <cstring>

Card::Card()
    : image(PhotoImage(kCardRows, kCardCols, kCardCols * 3, COLOR_FMT_BGR24, 2024)),
      planes((size_t)kCardRows * kCardCols * 3)
{
}

LutSpec CardLut(bool grid)
{
    std::mt19937 rng(17);
    LutSpec spec = grid ? ComplementGridLut(17, 3) : LutSpec();
    for (auto& v : spec.gridData)
        v = (uint8_t)std::min(255, std::max(0, (int)v + (int)(rng() % 13) - 6));
    const LutSpec extra = RandomLut(rng, 0, 3, true, true, false);
    spec.curves = spec.tables = true;
    spec.curveData = extra.curveData;
    spec.tableData = extra.tableData;
    return spec;
}

ReferenceSettings CardSettings(const std::vector<uint8_t>& lut, bool steps)
{
    ReferenceSettings s;
    s.lut = lut;
    s.saturation = steps ? 20 : 0;
    s.sharpenLevel = steps ? 128 : 0;
    s.brightness[0] = 4;
    s.brightness[2] = -4;
    return s;
}

CColorFlow* MakeCardFlow(const ReferenceSettings& settings)
{
    CColorFlow* flow = CreatZbColorFlow_o();
    if (!flow || !ApplySettings(flow, settings)) {
        std::fprintf(stderr, "the engine refuses the benchmark's settings\n");
        std::abort();
    }
    return flow;
}

ReferenceResinSettings CardResinSettings()
{
    ReferenceResinSettings s;
    s.fresh = false;
    s.model = 1;
    s.mediaMode = 2;
    return s;
}

void SetCardResin(CColorFlow* flow)
{
    const ReferenceResinSettings s = CardResinSettings();
    SetResinModelMediaMode_o(flow, 0, s.model, s.mediaMode, s.threshold, s.invert);
}

bool ConvertCard(CColorFlow* flow, Card& card)
{
    return ColorConvert_o(flow, card.image.data(), kCardRows, kCardCols, kCardCols * 3, COLOR_FMT_BGR24,
                          card.planes.data(), kCardRows, kCardCols, kCardCols, COLOR_FMT_PLANAR3);
}

bool ConvertCardResin(CColorFlow* flow, Card& card)
{
    return ConvertRGB2Resin_o(flow, card.image.data(), kCardRows, kCardCols, kCardCols * 3, COLOR_FMT_BGR24,
                              card.planes.data(), kCardRows, kCardCols, kCardCols, COLOR_FMT_GRAY8);
}

namespace {

void Refuse(const char* what)
{
    std::fprintf(stderr, "%s: the engine's output differs from the reference\n", what);
    std::abort();
}

} // namespace

void CheckCardAgainstReference(CColorFlow* flow, const ReferenceSettings& settings, Card& card)
{
    std::vector<uint8_t> reference(card.planes.size());
    if (!ConvertCard(flow, card) ||
        !ReferenceColorConvert(settings, card.image.data(), kCardRows, kCardCols, kCardCols * 3, COLOR_FMT_BGR24,
                               reference.data(), kCardRows, kCardCols, kCardCols, COLOR_FMT_PLANAR3) ||
        reference != card.planes)
        Refuse("ColorConvert_o");
}

void CheckResinAgainstReference(CColorFlow* flow, Card& card)
{
    const size_t bytes = (size_t)kCardRows * kCardCols;
    std::vector<uint8_t> reference(bytes);
    if (!ConvertCardResin(flow, card) ||
        !ReferenceConvertRGB2Resin(CardResinSettings(), card.image.data(), kCardRows, kCardCols, kCardCols * 3,
                                   COLOR_FMT_BGR24, reference.data(), kCardRows, kCardCols, kCardCols,
                                   COLOR_FMT_GRAY8) ||
        !std::equal(reference.begin(), reference.end(), card.planes.begin()))
        Refuse("ConvertRGB2Resin_o");
}

std::string ProcessorName()
{
    char name[49] = {};
#if defined(__x86_64__) || defined(__i386__)
    unsigned words[12];
    if (__get_cpuid_max(0x80000000, nullptr) >= 0x80000004) {
        for (unsigned leaf = 0; leaf < 3; leaf++)
            __get_cpuid(0x80000002 + leaf, &words[4 * leaf], &words[4 * leaf + 1], &words[4 * leaf + 2],
                        &words[4 * leaf + 3]);
        std::memcpy(name, words, sizeof words);
    }
#endif
    std::string text(name);
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? "unknown processor" : text.substr(first);
}
