#include "ColorLUT.h"

#include "ColorError.h"
#include "ZbFileIO.h"

#include <cstring>
#include <new>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "LUT sections are read as little-endian reals in place"
#endif

CColorLUT::CColorLUT()
    : m_pGrid(nullptr), m_pCurves(nullptr), m_pChannelTables(nullptr), m_byChannels(0), m_byGridPoints(0),
      m_pRowOffsets(nullptr), m_pIndexTable(nullptr), m_dwError(0)
{
}

CColorLUT::~CColorLUT()
{
    ReleaseTables();
}

void CColorLUT::ReleaseTables()
{
    delete[] m_pGrid;
    delete[] m_pCurves;
    delete[] m_pChannelTables;
    delete[] m_pIndexTable;
    m_pGrid = nullptr;
    m_pCurves = nullptr;
    m_pChannelTables = nullptr;
    m_pIndexTable = nullptr;
    m_pRowOffsets = nullptr;
    m_byChannels = 0;
    m_byGridPoints = 0;
}

bool CColorLUT::IsGridSize(unsigned gridPoints)
{
    switch (gridPoints) {
    case 3: case 5: case 9: case 17: case 33: case 65: case 129:
        return true;
    default:
        return false;
    }
}

bool CColorLUT::Fail(uint32_t code)
{
    ReleaseTables();
    m_dwError = code;
    return false;
}

bool CColorLUT::LoadByIndex(const char16_t* directory, int index)
{
    static const char16_t kIndexChars[] = u"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    static const char16_t kPrefix[] = u"LUTCT4S";
    static const char16_t kSuffix[] = u".bin";
    const size_t nameUnits = 12;

    if (!directory) {
        m_dwError = ERROR_INVALID_ACCESS;
        return false;
    }
    if ((unsigned)index > MAX_INDEX) {
        m_dwError = ERROR_INVALID_DATA;
        return false;
    }
    // The directory, the name and the terminator must fit the path buffer;
    // the length is measured no further than the buffer could hold.
    size_t dirUnits = 0;
    while (dirUnits < PATH_UNITS && directory[dirUnits])
        dirUnits++;
    if (dirUnits + nameUnits + 1 > PATH_UNITS) {
        m_dwError = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }

    char16_t path[PATH_UNITS];
    size_t at = 0;
    for (size_t i = 0; i < dirUnits; i++)
        path[at++] = directory[i];
    for (const char16_t* p = kPrefix; *p; p++)
        path[at++] = *p;
    path[at++] = kIndexChars[index];
    for (const char16_t* p = kSuffix; *p; p++)
        path[at++] = *p;
    path[at] = 0;

    FILE* file = OpenFileForReading(path);
    if (!file)
        return Fail(ERROR_OPEN_FAILED);
    CZbFileIO stream(file);
    const uint32_t size = stream.lpVtbl->GetSize(&stream);
    const bool loaded = LoadFromStream(&stream, size);
    stream.lpVtbl->Close(&stream);
    return loaded;
}

bool CColorLUT::PrepareTables(const LutFileHeader& header)
{
    const unsigned channels = header.channels, n = header.gridPoints;
    if (channels != m_byChannels || n != m_byGridPoints)
        ReleaseTables();

    if (header.hasCurves) {
        if (!m_pCurves && !(m_pCurves = new (std::nothrow) float[3 * 256]))
            return false;
    } else {
        delete[] m_pCurves;
        m_pCurves = nullptr;
    }

    if (header.hasChannelTables) {
        if (!m_pChannelTables && !(m_pChannelTables = new (std::nothrow) float[channels * 256]))
            return false;
    } else {
        delete[] m_pChannelTables;
        m_pChannelTables = nullptr;
    }

    if (header.hasGrid) {
        if (!m_pGrid && !(m_pGrid = new (std::nothrow) uint8_t[(size_t)n * n * n * channels + GRID_TAIL]()))
            return false;
        if (!m_pIndexTable) {
            if (!(m_pIndexTable = new (std::nothrow) uint32_t[2 * n]))
                return false;
            for (unsigned i = 0; i < n; i++) {
                m_pIndexTable[i] = n * i;
                m_pIndexTable[n + i] = n * n * i;
            }
        }
        m_pRowOffsets = m_pIndexTable + n;
    } else {
        delete[] m_pGrid;
        delete[] m_pIndexTable;
        m_pGrid = nullptr;
        m_pIndexTable = nullptr;
        m_pRowOffsets = nullptr;
    }

    m_byChannels = (uint8_t)channels;
    m_byGridPoints = (uint8_t)n;
    return true;
}

bool CColorLUT::LoadFromStream(CZbIO* stream, uint32_t size)
{
    if (!stream || size < sizeof(LutFileHeader))
        return Fail(ERROR_INVALID_DATA);

    // The header goes into scratch first: the loaded tables change only once
    // it is known to be whole and usable.
    uint8_t raw[sizeof(LutFileHeader)];
    for (int i = 0; i < 5; i++) {
        if (stream->lpVtbl->Read(stream, &raw[i], 1) < 1)
            return Fail(ERROR_INVALID_DATA);
    }
    if (stream->lpVtbl->Read(stream, &raw[5], 11) != 11)
        return Fail(ERROR_INVALID_DATA);
    LutFileHeader header;
    std::memcpy(&header, raw, sizeof header);

    // A grid must have a spacing the conversion can step and at most the
    // four channels it interpolates; this also bounds what the header can
    // make us allocate.
    if (header.hasGrid && (!IsGridSize(header.gridPoints) || header.channels == 0 || header.channels > 4))
        return Fail(ERROR_INVALID_DATA);

    if (!PrepareTables(header))
        return Fail(ERROR_NOT_ENOUGH_MEMORY);

    if (header.hasCurves) {
        const int got = stream->lpVtbl->Read(stream, m_pCurves, CURVES_BYTES);
        // A count of 3072 to 3075 is taken as whole.
        if ((got & ~3) != CURVES_BYTES)
            return Fail(ERROR_INVALID_DATA);
    }
    if (header.hasChannelTables) {
        const int want = header.channels * 1024;
        const int got = stream->lpVtbl->Read(stream, m_pChannelTables, want);
        if (got < 0 || got / 4 != header.channels * 256)
            return Fail(ERROR_INVALID_DATA);
    }
    if (header.hasGrid) {
        const int n = header.gridPoints;
        const int want = n * n * n * header.channels;
        if (stream->lpVtbl->Read(stream, m_pGrid, want) != want)
            return Fail(ERROR_INVALID_DATA);
    }
    return true;
}
