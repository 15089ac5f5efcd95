// Converts one CR-80 card (648 x 1012) of a photo-like image, one core:
//   ColorConvert_o through a 17-point grid with saturation and sharpening,
//   the same through the direct path, the grid alone (against Little CMS),
//   ConvertRGB2Resin_o, the literal reference implementation, and Little
//   CMS 2 applying the same grid.
// Before timing, the engine's planes are checked against the reference.
#include "ColourTestSupport.h"
#include "PixelFormat.h"
#include "QelColor.h"
#include "ReferenceColor.h"

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cstdio>
#include <cstdlib>

namespace {

const int kRows = 1012, kCols = 648;

struct Card {
    std::vector<uint8_t> image = PhotoImage(kRows, kCols, kCols * 3, COLOR_FMT_BGR24, 2024);
    std::vector<uint8_t> planes = std::vector<uint8_t>((size_t)kRows * kCols * 3);
};

// A printer-like 17-point grid: the complement of R, G, B with a random
// bend, and curves and channel tables as LUT files carry them.
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

ReferenceSettings Settings(const std::vector<uint8_t>& lut, bool steps)
{
    ReferenceSettings s;
    s.lut = lut;
    s.saturation = steps ? 20 : 0;
    s.sharpenLevel = steps ? 128 : 0;
    s.brightness[0] = 4;
    s.brightness[2] = -4;
    return s;
}

CColorFlow* MakeFlow(const ReferenceSettings& s)
{
    CColorFlow* flow = CreatZbColorFlow_o();
    if (!flow || !ApplySettings(flow, s))
        std::abort();
    return flow;
}

void CheckAgainstReference(CColorFlow* flow, const ReferenceSettings& settings, Card& card)
{
    std::vector<uint8_t> reference(card.planes.size());
    if (!ColorConvert_o(flow, card.image.data(), kRows, kCols, kCols * 3, COLOR_FMT_BGR24, card.planes.data(), kRows,
                        kCols, kCols, COLOR_FMT_PLANAR3) ||
        !ReferenceColorConvert(settings, card.image.data(), kRows, kCols, kCols * 3, COLOR_FMT_BGR24,
                               reference.data(), kRows, kCols, kCols, COLOR_FMT_PLANAR3) ||
        reference != card.planes) {
        std::fprintf(stderr, "the engine's planes differ from the reference\n");
        std::abort();
    }
}

void ConvertCard(benchmark::State& state, bool grid, bool steps)
{
    Card card;
    const ReferenceSettings settings = Settings(BuildLutBytes(CardLut(grid)), steps);
    CColorFlow* flow = MakeFlow(settings);
    CheckAgainstReference(flow, settings, card);
    for (auto _ : state) {
        ColorConvert_o(flow, card.image.data(), kRows, kCols, kCols * 3, COLOR_FMT_BGR24, card.planes.data(), kRows,
                       kCols, kCols, COLOR_FMT_PLANAR3);
        benchmark::DoNotOptimize(card.planes.data());
    }
    ReleaseZbColorFlow_o(&flow);
}

void BM_ColorConvert_Grid17_SaturationSharpen(benchmark::State& state)
{
    ConvertCard(state, true, true);
}

void BM_ColorConvert_Direct_SaturationSharpen(benchmark::State& state)
{
    ConvertCard(state, false, true);
}

void BM_ColorConvert_Grid17(benchmark::State& state)
{
    ConvertCard(state, true, false);
}

void BM_ConvertRGB2Resin(benchmark::State& state)
{
    Card card;
    CColorFlow* flow = CreatZbColorFlow_o();
    // Diffusion media with filter A: the longest road through the resin steps.
    SetResinModelMediaMode_o(flow, 0, 1, 2, 0, 1);
    for (auto _ : state) {
        ConvertRGB2Resin_o(flow, card.image.data(), kRows, kCols, kCols * 3, COLOR_FMT_BGR24, card.planes.data(), kRows,
                           kCols, kCols, COLOR_FMT_GRAY8);
        benchmark::DoNotOptimize(card.planes.data());
    }
    ReleaseZbColorFlow_o(&flow);
}

void BM_Reference_Grid17_SaturationSharpen(benchmark::State& state)
{
    Card card;
    const ReferenceSettings settings = Settings(BuildLutBytes(CardLut(true)), true);
    for (auto _ : state) {
        ReferenceColorConvert(settings, card.image.data(), kRows, kCols, kCols * 3, COLOR_FMT_BGR24,
                              card.planes.data(), kRows, kCols, kCols, COLOR_FMT_PLANAR3);
        benchmark::DoNotOptimize(card.planes.data());
    }
}

// Little CMS 2 with the same 17-point grid as a device link, 8-bit RGB in
// and out (its fastest road for 8-bit data).
void BM_LittleCMS_Grid17(benchmark::State& state)
{
    Card card;
    const LutSpec spec = CardLut(true);
    std::vector<cmsUInt16Number> table(17 * 17 * 17 * 3);
    // Little CMS steps its first input slowest; the grid steps R fastest.
    for (int r = 0; r < 17; r++)
        for (int g = 0; g < 17; g++)
            for (int b = 0; b < 17; b++)
                for (int k = 0; k < 3; k++)
                    table[((r * 17 + g) * 17 + b) * 3 + k] =
                        (cmsUInt16Number)(spec.gridData[(size_t)(r + 17 * g + 289 * b) * 3 + k] * 257);
    cmsContext context = cmsCreateContext(nullptr, nullptr);
    cmsPipeline* pipeline = cmsPipelineAlloc(context, 3, 3);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, cmsStageAllocCLut16bit(context, 17, 3, 3, table.data()));
    cmsHPROFILE link = cmsCreateProfilePlaceholder(context);
    cmsSetProfileVersion(link, 4.3);
    cmsSetDeviceClass(link, cmsSigLinkClass);
    cmsSetColorSpace(link, cmsSigRgbData);
    cmsSetPCS(link, cmsSigRgbData);
    cmsWriteTag(link, cmsSigAToB0Tag, pipeline);
    cmsHTRANSFORM transform =
        cmsCreateTransformTHR(context, link, TYPE_BGR_8, nullptr, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
    if (!transform)
        std::abort();
    for (auto _ : state) {
        cmsDoTransform(transform, card.image.data(), card.planes.data(), kRows * kCols);
        benchmark::DoNotOptimize(card.planes.data());
    }
    cmsDeleteTransform(transform);
    cmsCloseProfile(link);
    cmsPipelineFree(pipeline);
    cmsDeleteContext(context);
}

} // namespace

BENCHMARK(BM_ColorConvert_Grid17_SaturationSharpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorConvert_Direct_SaturationSharpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColorConvert_Grid17)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertRGB2Resin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reference_Grid17_SaturationSharpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LittleCMS_Grid17)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
