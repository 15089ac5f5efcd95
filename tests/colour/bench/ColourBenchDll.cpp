// The colour engine's benchmark on Windows: QelColor.dll as a user installs
// it, driven through its exports on one thread. Each figure is the median,
// over repetitions, of the time per card of a batch of conversions; every
// benchmark is first checked against the reference implementation and never
// timed when the bytes differ.
//   ColourBenchDll.exe [repetitions]
#include "CardBench.h"
#include "PixelFormat.h"
#include "QelColor.h"
#include "ReferenceColor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

const int kWarmUp = 3;

// Milliseconds per call of convert: median, lowest and highest over the
// repetitions.
struct Figures {
    double median, low, high;
};

Figures Time(int repetitions, int batch, const std::function<void()>& convert)
{
    for (int i = 0; i < kWarmUp; i++)
        convert();
    std::vector<double> perCall;
    for (int r = 0; r < repetitions; r++) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < batch; i++)
            convert();
        const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        perCall.push_back(spent.count() / batch);
    }
    std::sort(perCall.begin(), perCall.end());
    return {perCall[perCall.size() / 2], perCall.front(), perCall.back()};
}

void Report(const char* name, const Figures& f)
{
    std::printf("%-58s %8.2f   (%.2f .. %.2f)\n", name, f.median, f.low, f.high);
    std::fflush(stdout);
}

void TimeCard(const char* name, bool grid, bool steps, int repetitions)
{
    Card card;
    const ReferenceSettings settings = CardSettings(BuildLutBytes(CardLut(grid)), steps);
    CColorFlow* flow = MakeCardFlow(settings);
    CheckCardAgainstReference(flow, settings, card);
    Report(name, Time(repetitions, 20, [&] { ConvertCard(flow, card); }));
    ReleaseZbColorFlow_o(&flow);
}

} // namespace

int main(int argc, char** argv)
{
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::printf("QelColor.dll on %s, one CR-80 card (%d x %d), one thread\n", ProcessorName().c_str(), kCardCols,
                kCardRows);
    std::printf("%-58s %8s   %s\n", "milliseconds per card", "median", "(lowest .. highest)");
    TimeCard("ColorConvert_o, 17-point grid, saturation and sharpening", true, true, repetitions);
    TimeCard("ColorConvert_o, direct path, saturation and sharpening", false, true, repetitions);
    TimeCard("ColorConvert_o, 17-point grid alone", true, false, repetitions);

    Card card;
    CColorFlow* flow = CreatZbColorFlow_o();
    SetCardResin(flow);
    CheckResinAgainstReference(flow, card);
    Report("ConvertRGB2Resin_o, error diffusion and filter A",
           Time(repetitions, 20, [&] { ConvertCardResin(flow, card); }));
    ReleaseZbColorFlow_o(&flow);

    const ReferenceSettings settings = CardSettings(BuildLutBytes(CardLut(true)), true);
    Report("the plain reference, grid, saturation and sharpening", Time(std::min(repetitions, 5), 1, [&] {
               ReferenceColorConvert(settings, card.image.data(), kCardRows, kCardCols, kCardCols * 3,
                                     COLOR_FMT_BGR24, card.planes.data(), kCardRows, kCardCols, kCardCols,
                                     COLOR_FMT_PLANAR3);
           }));
    return 0;
}
