// Converts one CR-80 card (648 x 1012) of a photo-like image, one core:
//   ColorConvert_o through a 17-point grid with saturation and sharpening,
//   the same through the direct path, the grid alone (against Little CMS),
//   ConvertRGB2Resin_o, the literal reference implementation, and Little
//   CMS 2 applying the same grid.
// Before timing, the engine's output is checked against the reference.
#include "CardBench.h"
#include "PixelFormat.h"
#include "QelColor.h"
#include "ReferenceColor.h"

#include <benchmark/benchmark.h>
#include <lcms2.h>

#include <cstdlib>

namespace {

void TimeCard(benchmark::State& state, bool grid, bool steps)
{
    Card card;
    const ReferenceSettings settings = CardSettings(BuildLutBytes(CardLut(grid)), steps);
    CColorFlow* flow = MakeCardFlow(settings);
    CheckCardAgainstReference(flow, settings, card);
    for (auto _ : state) {
        ConvertCard(flow, card);
        benchmark::DoNotOptimize(card.planes.data());
    }
    ReleaseZbColorFlow_o(&flow);
}

void BM_ColorConvert_Grid17_SaturationSharpen(benchmark::State& state)
{
    TimeCard(state, true, true);
}

void BM_ColorConvert_Direct_SaturationSharpen(benchmark::State& state)
{
    TimeCard(state, false, true);
}

void BM_ColorConvert_Grid17(benchmark::State& state)
{
    TimeCard(state, true, false);
}

void BM_ConvertRGB2Resin(benchmark::State& state)
{
    Card card;
    CColorFlow* flow = CreatZbColorFlow_o();
    SetCardResin(flow);
    CheckResinAgainstReference(flow, card);
    for (auto _ : state) {
        ConvertCardResin(flow, card);
        benchmark::DoNotOptimize(card.planes.data());
    }
    ReleaseZbColorFlow_o(&flow);
}

void BM_Reference_Grid17_SaturationSharpen(benchmark::State& state)
{
    Card card;
    const ReferenceSettings settings = CardSettings(BuildLutBytes(CardLut(true)), true);
    for (auto _ : state) {
        ReferenceColorConvert(settings, card.image.data(), kCardRows, kCardCols, kCardCols * 3, COLOR_FMT_BGR24,
                              card.planes.data(), kCardRows, kCardCols, kCardCols, COLOR_FMT_PLANAR3);
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
        cmsDoTransform(transform, card.image.data(), card.planes.data(), kCardRows * kCardCols);
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

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::AddCustomContext("processor", ProcessorName());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
