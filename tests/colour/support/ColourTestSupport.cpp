#include "ColourTestSupport.h"

#include "QelColor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

std::vector<uint8_t> BuildLutBytes(const LutSpec& spec)
{
    std::vector<uint8_t> bytes(16, 0);
    bytes[0] = spec.curves;
    bytes[1] = spec.tables;
    bytes[2] = spec.grid;
    bytes[3] = spec.channels;
    bytes[4] = spec.gridPoints;
    auto append = [&](const void* data, size_t size) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    };
    if (spec.curves)
        append(spec.curveData.data(), spec.curveData.size() * sizeof(float));
    if (spec.tables)
        append(spec.tableData.data(), spec.tableData.size() * sizeof(float));
    if (spec.grid)
        append(spec.gridData.data(), spec.gridData.size());
    return bytes;
}

LutSpec ComplementGridLut(uint8_t gridPoints, uint8_t channels)
{
    LutSpec spec;
    spec.grid = true;
    spec.channels = channels;
    spec.gridPoints = gridPoints;
    const int n = gridPoints;
    const int step = 256 / (n - 1);
    spec.gridData.resize((size_t)n * n * n * channels);
    for (int z = 0; z < n; z++) {
        for (int y = 0; y < n; y++) {
            for (int x = 0; x < n; x++) {
                const int r = std::min(255, x * step), g = std::min(255, y * step), b = std::min(255, z * step);
                uint8_t* node = &spec.gridData[(size_t)(x + n * y + n * n * z) * channels];
                node[0] = (uint8_t)(255 - b);
                node[1] = (uint8_t)(255 - g);
                node[2] = (uint8_t)(255 - r);
                if (channels == 4)
                    node[3] = (uint8_t)(255 - std::max(r, std::max(g, b)));
            }
        }
    }
    return spec;
}

LutSpec RandomLut(std::mt19937& rng, uint8_t gridPoints, uint8_t channels, bool curves, bool tables, bool grid)
{
    LutSpec spec;
    spec.curves = curves;
    spec.tables = tables;
    spec.grid = grid;
    spec.channels = channels;
    spec.gridPoints = gridPoints;
    auto real = [&](float lo, float hi) { return lo + (hi - lo) * (float)(rng() % 1000001) / 1000000.0f; };
    if (curves) {
        spec.curveData.resize(768);
        for (int c = 0; c < 3; c++) {
            const float gamma = real(0.5f, 2.0f);
            for (int i = 0; i < 256; i++) {
                const float v = 255.0f * std::pow((float)i / 255.0f, gamma) + real(-2.0f, 2.0f);
                spec.curveData[c * 256 + i] = std::min(255.0f, std::max(0.0f, v));
            }
        }
    }
    if (tables) {
        spec.tableData.resize((size_t)channels * 256);
        for (auto& v : spec.tableData)
            v = real(0.0f, 255.0f);
    }
    if (grid) {
        spec.gridData.resize((size_t)gridPoints * gridPoints * gridPoints * channels);
        for (auto& v : spec.gridData)
            v = (uint8_t)(rng() & 0xFF);
    }
    return spec;
}

std::vector<uint8_t> PhotoImage(int rows, int cols, int stride, uint32_t format, uint32_t seed)
{
    std::mt19937 rng(seed);
    const int bpp = (format & 0x8000) ? 1 : (format & 0x80) ? 4 : 3;
    int offR = 2, offG = 1, offB = 0;
    switch (format) {
    case 1: case 0x81: offR = 0, offG = 1, offB = 2; break;
    case 0x82: offR = 3, offG = 2, offB = 1; break;
    case 0x83: offR = 1, offG = 2, offB = 3; break;
    case 0xA000: offR = 0, offG = 0, offB = 0; break;
    default: break;
    }
    std::vector<uint8_t> image((size_t)rows * stride);
    for (auto& b : image)
        b = (uint8_t)(rng() & 0xFF);

    // Value noise: random levels on a coarse lattice, blended bilinearly,
    // plus a finer lattice and a little grain per pixel.
    const int coarse = 48, fine = 9;
    auto lattice = [&](int cells) {
        std::vector<float> v((size_t)(rows / cells + 2) * (cols / cells + 2) * 3);
        for (auto& x : v)
            x = (float)(rng() % 256);
        return v;
    };
    const std::vector<float> big = lattice(coarse), small = lattice(fine);
    auto sample = [&](const std::vector<float>& v, int cells, int r, int c, int ch) {
        const int w = cols / cells + 2;
        const int r0 = r / cells, c0 = c / cells;
        const float fr = (float)(r % cells) / cells, fc = (float)(c % cells) / cells;
        auto at = [&](int rr, int cc) { return v[((size_t)rr * w + cc) * 3 + ch]; };
        return (at(r0, c0) * (1 - fc) + at(r0, c0 + 1) * fc) * (1 - fr) +
               (at(r0 + 1, c0) * (1 - fc) + at(r0 + 1, c0 + 1) * fc) * fr;
    };
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < cols; c++) {
            uint8_t* p = &image[(size_t)r * stride + (size_t)c * bpp];
            const int grain = (int)(rng() % 7) - 3;
            int level[3];
            for (int ch = 0; ch < 3; ch++) {
                const float v = 0.8f * sample(big, coarse, r, c, ch) + 0.2f * sample(small, fine, r, c, ch) + grain;
                level[ch] = std::min(255, std::max(0, (int)v));
            }
            p[offR] = (uint8_t)level[0];
            p[offG] = (uint8_t)level[1];
            p[offB] = (uint8_t)level[2];
        }
    }
    return image;
}

void ApplyAdjustments(CColorFlow* flow, const ReferenceSettings& s)
{
    SetBrightnessValueByReal_o(flow, s.brightness[0], s.brightness[1], s.brightness[2]);
    SetContrastValueByReal_o(flow, s.contrast[0], s.contrast[1], s.contrast[2]);
    SetColorCorrectValueByReal_o(flow, s.colorCorrect[0], s.colorCorrect[1], s.colorCorrect[2]);
    if (s.gammaForm)
        SetGammaValueByReal_o(flow, s.gamma[0], s.gamma[1], s.gamma[2]);
    SetSaturated_o(flow, s.saturation);
    SetSharpen_o(flow, s.sharpenLevel);
}

bool LoadLutBytes(CColorFlow* flow, const std::vector<uint8_t>& lut)
{
    MemoryStream stream(lut);
    return LoadColorLUTFromZbIO(flow, (uint32_t)lut.size(), &stream);
}

bool ApplySettings(CColorFlow* flow, const ReferenceSettings& s)
{
    ApplyAdjustments(flow, s);
    return LoadLutBytes(flow, s.lut);
}

const ZbIOTable MemoryStream::s_Table = {Destroy, Close, Read, Write, GetSize, Seek, Tell};

MemoryStream::MemoryStream(std::vector<uint8_t> bytes) : CZbIO{&s_Table}, m_Bytes(std::move(bytes)) {}

void* ZBIO_CALL MemoryStream::Destroy(CZbIO* self, unsigned int)
{
    static_cast<MemoryStream*>(self)->m_Calls.push_back("Destroy");
    return self;
}

void ZBIO_CALL MemoryStream::Close(CZbIO* self)
{
    static_cast<MemoryStream*>(self)->m_Calls.push_back("Close");
}

int ZBIO_CALL MemoryStream::Read(CZbIO* self, void* buffer, int count)
{
    MemoryStream* s = static_cast<MemoryStream*>(self);
    s->m_Calls.push_back("Read");
    s->m_ReadCounts.push_back(count);
    const int index = s->m_nReads++;
    int reported = -2;
    for (const auto& forced : s->m_Forced) {
        if (forced.first == index)
            reported = forced.second;
    }
    size_t available = s->m_Bytes.size() - s->m_Position;
    size_t take = count > 0 ? std::min((size_t)count, available) : 0;
    if (reported != -2 && reported >= 0)
        take = std::min(take, (size_t)reported);
    if (take)
        std::memcpy(buffer, &s->m_Bytes[s->m_Position], take);
    s->m_Position += take;
    return reported != -2 ? reported : (int)take;
}

int ZBIO_CALL MemoryStream::Write(CZbIO* self, const void*, int)
{
    static_cast<MemoryStream*>(self)->m_Calls.push_back("Write");
    return 0;
}

uint32_t ZBIO_CALL MemoryStream::GetSize(CZbIO* self)
{
    MemoryStream* s = static_cast<MemoryStream*>(self);
    s->m_Calls.push_back("GetSize");
    return (uint32_t)s->m_Bytes.size();
}

int ZBIO_CALL MemoryStream::Seek(CZbIO* self, int, int)
{
    static_cast<MemoryStream*>(self)->m_Calls.push_back("Seek");
    return -1;
}

int ZBIO_CALL MemoryStream::Tell(CZbIO* self)
{
    MemoryStream* s = static_cast<MemoryStream*>(self);
    s->m_Calls.push_back("Tell");
    return (int)s->m_Position;
}
