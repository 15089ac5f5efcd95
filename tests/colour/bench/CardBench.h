// What both colour benchmarks time, the native one and the Windows one that
// drives QelColor.dll: one CR-80 card (648 x 1012) of a photo-like image, a
// printer-like 17-point grid LUT, the settings of each benchmark, and the
// checks against the plain reference implementation that come before any
// timing.
#pragma once

#include "ColourTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

class CColorFlow;

const int kCardRows = 1012, kCardCols = 648;

struct Card {
    std::vector<uint8_t> image;
    std::vector<uint8_t> planes;
    Card();
};

// The complement of R, G, B with a random bend on a grid of 17 points (or no
// grid), with curves and channel tables as LUT files carry them.
LutSpec CardLut(bool grid);

// Saturation and sharpening on or off, a little brightness either way.
ReferenceSettings CardSettings(const std::vector<uint8_t>& lut, bool steps);

// A flow with the settings; stops the program when the engine refuses them.
CColorFlow* MakeCardFlow(const ReferenceSettings& settings);

// Diffusion media with filter A: the longest road through the resin steps.
ReferenceResinSettings CardResinSettings();
void SetCardResin(CColorFlow* flow);

bool ConvertCard(CColorFlow* flow, Card& card);
bool ConvertCardResin(CColorFlow* flow, Card& card);

// Each converts the card through the engine and the reference and stops the
// program when the bytes differ: no figure is ever given for wrong output.
void CheckCardAgainstReference(CColorFlow* flow, const ReferenceSettings& settings, Card& card);
void CheckResinAgainstReference(CColorFlow* flow, Card& card);

// The processor's own name for itself, for the figures' heading.
std::string ProcessorName();
