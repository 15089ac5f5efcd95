// CColorLUT: the colour look-up table (input curves, output channel tables
// and a 3-D grid behind a 16-byte header), loaded from a numbered LUT file or
// from a caller's stream.
#pragma once

#include "ZbIO.h"

#include <cstdint>

// The 16-byte header of a LUT file or stream.
struct LutFileHeader {
    uint8_t hasCurves;
    uint8_t hasChannelTables;
    uint8_t hasGrid;
    uint8_t channels;
    uint8_t gridPoints;
    uint8_t reserved[11];
};
static_assert(sizeof(LutFileHeader) == 16, "the header is 16 bytes on disk");

class CColorLUT {
public:
    CColorLUT();
    virtual ~CColorLUT();
    CColorLUT(const CColorLUT&) = delete;
    CColorLUT& operator=(const CColorLUT&) = delete;

    // Loads "<directory>LUTCT4S<index>.bin"; index 0..35 ("0".."9", "A".."Z").
    bool LoadByIndex(const char16_t* directory, int index);
    // Reads the header and its sections from the stream's current position.
    bool LoadFromStream(CZbIO* stream, uint32_t size);
    void ReleaseTables();

    // The grid sizes whose spacing, 256 / (n - 1), is a power of two.
    static bool IsGridSize(unsigned gridPoints);

    const uint8_t* Grid() const { return m_pGrid; }
    // 3 x 256 reals, R first.
    const float* Curves() const { return m_pCurves; }
    // channels x 256 reals.
    const float* ChannelTables() const { return m_pChannelTables; }
    uint8_t Channels() const { return m_byChannels; }
    uint8_t GridPoints() const { return m_byGridPoints; }
    // n entries n * i, then (RowOffsets) n entries n * n * i.
    const uint32_t* IndexTable() const { return m_pIndexTable; }
    const uint32_t* RowOffsets() const { return m_pRowOffsets; }
    uint32_t GetError() const { return m_dwError; }

    enum {
        MAX_INDEX = 35,
        PATH_UNITS = 512,
        CURVES_BYTES = 3 * 256 * 4,
        // A three-channel node is read as four bytes at once, so the grid
        // keeps this many bytes after its last node.
        GRID_TAIL = 4,
    };

private:
    bool Fail(uint32_t code);
    bool PrepareTables(const LutFileHeader& header);

    uint8_t* m_pGrid;
    float* m_pCurves;
    float* m_pChannelTables;
    uint8_t m_byChannels;
    uint8_t m_byGridPoints;
    uint32_t* m_pRowOffsets;
    uint32_t* m_pIndexTable;
    uint32_t m_dwError;
};
