// Helpers shared by the colour engine's tests, fuzz replay and benchmark:
// LUT images, a scripted caller stream and photo-like test pictures.
#pragma once

#include "ReferenceColor.h"
#include "ZbIO.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

struct LutSpec {
    bool curves = false, tables = false, grid = false;
    uint8_t channels = 3;
    uint8_t gridPoints = 0;
    std::vector<float> curveData;  // 3 x 256
    std::vector<float> tableData;  // channels x 256
    std::vector<uint8_t> gridData; // n^3 x channels
};

// The LUT file image: header, then the flagged sections.
std::vector<uint8_t> BuildLutBytes(const LutSpec& spec);

// A grid whose channels are the complements of B, G and R (and for a fourth
// channel the complement of the largest), so the grid path prints like the
// direct path.
LutSpec ComplementGridLut(uint8_t gridPoints, uint8_t channels);

// A LUT with random sections: curves mostly monotone within 0..255, tables
// within 0..255, grid bytes anywhere.
LutSpec RandomLut(std::mt19937& rng, uint8_t gridPoints, uint8_t channels, bool curves, bool tables, bool grid);

// A picture of smooth colour fields with fine grain, like a photograph on a
// card, in an interleaved format (or grey) and stride (bytes between the
// rows; the padding is filled with noise).
std::vector<uint8_t> PhotoImage(int rows, int cols, int stride, uint32_t format, uint32_t seed);

class CColorFlow;

// Gives a flow, through the exports, the adjustments, saturation and
// sharpening of a reference run.
void ApplyAdjustments(CColorFlow* flow, const ReferenceSettings& settings);
// Loads LUT bytes through a caller's stream.
bool LoadLutBytes(CColorFlow* flow, const std::vector<uint8_t>& lut);
// Both: the whole setting of a reference run.
bool ApplySettings(CColorFlow* flow, const ReferenceSettings& settings);

// A caller's stream over bytes in memory. Each Read delivers what it can;
// ForceRead makes the k-th Read (counted from 0) report a given count
// instead (after copying what it can, up to that count). Every call is
// recorded by slot name.
class MemoryStream : public CZbIO {
public:
    explicit MemoryStream(std::vector<uint8_t> bytes);
    void ForceRead(int index, int reported) { m_Forced.push_back({index, reported}); }
    const std::vector<std::string>& Calls() const { return m_Calls; }
    std::vector<int> ReadCounts() const { return m_ReadCounts; }
    size_t Position() const { return m_Position; }

private:
    static void* ZBIO_CALL Destroy(CZbIO* self, unsigned int flags);
    static void ZBIO_CALL Close(CZbIO* self);
    static int ZBIO_CALL Read(CZbIO* self, void* buffer, int count);
    static int ZBIO_CALL Write(CZbIO* self, const void* buffer, int count);
    static uint32_t ZBIO_CALL GetSize(CZbIO* self);
    static int ZBIO_CALL Seek(CZbIO* self, int offset, int origin);
    static int ZBIO_CALL Tell(CZbIO* self);
    static const ZbIOTable s_Table;

    std::vector<uint8_t> m_Bytes;
    size_t m_Position = 0;
    int m_nReads = 0;
    std::vector<std::pair<int, int>> m_Forced;
    std::vector<std::string> m_Calls;
    std::vector<int> m_ReadCounts;
};
