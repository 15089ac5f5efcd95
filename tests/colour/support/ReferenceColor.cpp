#include "ReferenceColor.h"

#include <cmath>
#include <cstring>

namespace {

// trunc, then the low byte; NaN, infinities and values outside int32 give 0.
uint8_t TruncByte(double v)
{
    if (std::isnan(v) || v <= -2147483649.0 || v >= 2147483648.0)
        return 0;
    long long t = (long long)v;
    return (uint8_t)(t & 0xFF);
}

int TruncInt(double v)
{
    if (std::isnan(v) || v <= -2147483649.0 || v >= 2147483648.0)
        return 0;
    return (int)v;
}

float PowF(float x, float y)
{
    return (float)pow((double)x, (double)y);
}

struct Layout {
    int bpp;
    int channels;
    long long offR, offG, offB;
};

Layout Decode(uint32_t format, long long planeSize)
{
    Layout l;
    if (format & 0x8000)
        l.bpp = 1;
    else if (format & 0x80)
        l.bpp = 4;
    else
        l.bpp = 3;
    if (format == 0xA000)
        l.channels = 1;
    else if (format & 0x80)
        l.channels = 4;
    else
        l.channels = 3;
    if (format == 1 || format == 0x81) {
        l.offR = 0; l.offG = 1; l.offB = 2;
    } else if (format == 0x82) {
        l.offR = 3; l.offG = 2; l.offB = 1;
    } else if (format == 0x83) {
        l.offR = 1; l.offG = 2; l.offB = 3;
    } else if (format == 0xA000) {
        l.offR = 0; l.offG = 0; l.offB = 0;
    } else if (format == 0xC000 || format == 0xC080) {
        l.offR = 0; l.offG = planeSize; l.offB = 2 * planeSize;
    } else {
        l.offR = 2; l.offG = 1; l.offB = 0;
    }
    return l;
}

struct Image {
    const uint8_t* data;
    int rows, cols, stride;
    uint32_t format;
};

// ---- curves ----

struct TableCal {
    float toe[32];
    TableCal()
    {
        for (int i = 0; i < 32; i++) {
            float x = (float)i / 32.0f;
            toe[i] = x * 1.4647f - (x * 0.2327f) * x - ((x * 0.232f) * x) * x;
        }
    }
    void GammaCurve(float* t, float g)
    {
        float e = 1.0f / g;
        for (int i = 0; i < 256; i++)
            t[i] = PowF((float)i / 255.0f, e) * 255.0f;
        if (g > 1.5f || g < 0.6667f) {
            for (int j = 0; j < 32; j++)
                t[j] = t[32] * toe[j];
        }
    }
    static float Clamp(float v)
    {
        if (v > 255.0f)
            return 255.0f;
        if (v < 0.0f)
            return 0.0f;
        if (std::isnan(v))
            return 0.0f;
        return v;
    }
    void Ramp(float* t, float s, float b, bool gammaForm, float g)
    {
        if (!gammaForm) {
            for (int i = 0; i < 256; i++)
                t[i] = Clamp((float)i * s + b);
        } else {
            GammaCurve(t, g);
            for (int i = 0; i < 256; i++)
                t[i] = Clamp(s * t[i] + b);
        }
    }
    void Shift(uint8_t* t, int v)
    {
        for (int j = 0; j < 256; j++) {
            int x = j + v;
            if (x < 0)
                x = 0;
            if (x > 255)
                x = 255;
            t[j] = (uint8_t)x;
        }
    }
    void ByteGamma(uint8_t* t, float g)
    {
        for (int i = 0; i < 255; i++)
            t[i] = TruncByte(PowF((float)i / 255.0f, 1.0f / g) * 255.0f + 0.5f);
        t[255] = 255;
        if (g > 1.5f || g < 0.6667f) {
            float top = t[32];
            for (int i = 0; i < 32; i++) {
                float x = (float)i / 32.0f;
                t[i] = TruncByte((x * 1.4647f - x * 0.2327f * x - x * 0.232f * x * x) * top + 0.5f);
            }
        }
        t[0] = 0;
        t[255] = 255;
    }
};

// ---- LUT ----

struct Lut {
    bool ok = false;
    bool hasCurves = false, hasTables = false, hasGrid = false;
    int channels = 0, n = 0;
    std::vector<float> curves, tables;
    std::vector<uint8_t> grid;
};

Lut ParseLut(const std::vector<uint8_t>& bytes)
{
    Lut lut;
    if (bytes.size() < 16)
        return lut;
    lut.hasCurves = bytes[0] != 0;
    lut.hasTables = bytes[1] != 0;
    lut.hasGrid = bytes[2] != 0;
    lut.channels = bytes[3];
    lut.n = bytes[4];
    size_t at = 16;
    if (lut.hasCurves) {
        if (bytes.size() < at + 3072)
            return lut;
        lut.curves.resize(768);
        std::memcpy(lut.curves.data(), &bytes[at], 3072);
        at += 3072;
    }
    if (lut.hasTables) {
        size_t size = (size_t)lut.channels * 1024;
        if (bytes.size() < at + size)
            return lut;
        lut.tables.resize((size_t)lut.channels * 256);
        std::memcpy(lut.tables.data(), &bytes[at], size);
        at += size;
    }
    if (lut.hasGrid) {
        size_t size = (size_t)lut.n * lut.n * lut.n * lut.channels;
        if (bytes.size() < at + size)
            return lut;
        lut.grid.assign(bytes.begin() + at, bytes.begin() + at + size);
    }
    lut.ok = true;
    return lut;
}

// ---- resize ----

int MapIndex(int i, int srcCount, int dstCount)
{
    double t = (double)srcCount / (double)dstCount;
    long long v = (long long)((i + 1) * t + 0.5) - 1;
    if (v < 0)
        v = 0;
    if (v > srcCount - 1)
        v = srcCount - 1;
    return (int)v;
}

float Rw(int i) { return 0.3f * (float)i + 0.5f; }
float Gw(int i) { return 0.6f * (float)i; }
float Bw(int i) { return 0.1f * (float)i; }

uint8_t Grey(int r, int g, int b)
{
    return TruncByte(Gw(g) + Rw(r) + Bw(b));
}

// ---- saturation ----

struct Satue {
    float curve[256];
    void Build(int b)
    {
        if (b == 127) {
            curve[0] = 0;
            for (int i = 1; i < 256; i++)
                curve[i] = 1.0f;
        } else if (b == -128) {
            for (int i = 0; i < 256; i++)
                curve[i] = 0;
        } else if (b >= 1 && b <= 126) {
            int m = 255 - 2 * b;
            for (int i = 0; i < 256; i++)
                curve[i] = i < m ? (float)i * (1.0f / (float)m) : 1.0f;
        } else {
            for (int i = 0; i < 256; i++)
                curve[i] = (float)i * ((float)(2 * b + 255) / 65025.0f);
        }
    }
    void Pixel(uint8_t& R, uint8_t& G, uint8_t& B) const
    {
        uint8_t *mx, *md, *mn;
        if (R > G) {
            if (R > B) {
                mx = &R;
                if (G > B) { md = &G; mn = &B; } else { md = &B; mn = &G; }
            } else {
                mx = &B; md = &R; mn = &G;
            }
        } else {
            if (G > B) {
                mx = &G;
                if (R > B) { md = &R; mn = &B; } else { md = &B; mn = &R; }
            } else {
                mx = &B; md = &G; mn = &R;
            }
        }
        int max = *mx, mid = *md, min = *mn;
        int d = max - min, o = max + min;
        float recip;
        if (o == 0 || o == 510)
            recip = 1.0f;
        else if (o <= 255)
            recip = 1.0f / (float)o;
        else
            recip = 1.0f / (float)(510 - o);
        int s = TruncInt((float)(d * 255) * recip);
        float c = curve[s];
        if (c < 0.00001) {
            uint8_t v = TruncByte(o / 2.0 + 0.5);
            *mx = v; *md = v; *mn = v;
            return;
        }
        double M;
        if (o < 255)
            M = (c + 1.0) * (o / 2.0);
        else
            M = (1.0 - c) * 0.5 * o + 255.0 * c;
        double m = o - M;
        double middle = ((double)(mid - min) / d) * (M - m) + m;
        *mx = TruncByte(M + 0.5);
        *md = TruncByte(middle + 0.5);
        *mn = TruncByte(m + 0.5);
    }
};

} // namespace

bool ReferenceColorConvert(const ReferenceSettings& st, const uint8_t* src, int srcRows, int srcCols, int srcStride,
                           uint32_t srcFormat, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                           uint32_t dstFormat)
{
    if (!src || !dst)
        return false;
    if (srcFormat & 0xC000)
        return false;
    if ((dstFormat & 0xC000) != 0xC000)
        return false;
    Lut lut = ParseLut(st.lut);
    if (!lut.ok)
        return false;

    // Step 2: resize.
    Image image = {src, srcRows, srcCols, srcStride, srcFormat};
    std::vector<uint8_t> resized;
    if (dstRows != srcRows || dstCols != srcCols) {
        resized.assign((size_t)dstRows * dstCols * 3, 0);
        Layout in = Decode(srcFormat, (long long)srcRows * srcCols);
        for (int i = 0; i < dstRows; i++) {
            int sr = MapIndex(i, srcRows, dstRows);
            for (int j = 0; j < dstCols; j++) {
                int sc = MapIndex(j, srcCols, dstCols);
                const uint8_t* s = src + (long long)sr * srcStride + (long long)sc * in.bpp;
                uint8_t* d = &resized[(size_t)i * dstCols * 3 + (size_t)j * 3];
                d[2] = s[in.offR];
                d[1] = s[in.offG];
                d[0] = s[in.offB];
            }
        }
        image = {resized.data(), dstRows, dstCols, dstCols * 3, 0};
    }

    // Step 6 (checked first by the engine): channels.
    Layout out = Decode(dstFormat, (long long)dstRows * dstCols);
    if (out.channels != lut.channels)
        return false;

    // Step 3: tables.
    TableCal cal;
    float working[3][256];
    uint8_t shift[3][256];
    for (int c = 0; c < 3; c++) {
        float s = (float)st.contrast[c] * 0.00390625f + 1.0f;
        cal.Ramp(working[c], s, (float)st.brightness[c], st.gammaForm, st.gamma[c]);
    }
    for (int k = 0; k < 3; k++)
        cal.Shift(shift[k], st.colorCorrect[k]);
    if (lut.hasCurves) {
        for (int i = 0; i < 3; i++) {
            for (int j = 0; j < 256; j++) {
                float x = working[i][j];
                int i0 = TruncByte(x);
                float f = x - (float)i0;
                int i1 = i0 == 255 ? 255 : i0 + 1;
                working[i][j] = (1.0f - f) * lut.curves[i * 256 + i0] + f * lut.curves[i * 256 + i1];
            }
        }
    }
    uint8_t output[4][256];
    if (lut.hasTables) {
        for (int k = 0; k < 3; k++) {
            for (int j = 0; j < 256; j++) {
                float x = lut.tables[k * 256 + j];
                int i0 = TruncByte(x);
                float f = x - (float)i0;
                int i1 = i0 == 255 ? 255 : i0 + 1;
                output[k][j] = TruncByte((1.0f - f) * (float)shift[k][i0] + f * (float)shift[k][i1]);
            }
        }
    } else {
        for (int k = 0; k < 3; k++)
            std::memcpy(output[k], shift[k], 256);
    }

    Layout in = Decode(image.format, (long long)image.rows * image.cols);
    int rows = image.rows, cols = image.cols;

    // Step 7: the call's copy.
    uint8_t copy[3][256];
    std::memcpy(copy, output, sizeof copy);

    // Step 8: dark image.
    if ((long long)rows * cols > 0) {
        long long hist[3][256] = {};
        for (int r = 0; r < rows; r++) {
            for (int c = 0; c < cols; c++) {
                const uint8_t* p = image.data + (long long)r * image.stride + (long long)c * in.bpp;
                hist[0][p[in.offR]]++;
                hist[1][p[in.offG]]++;
                hist[2][p[in.offB]]++;
            }
        }
        double N = (double)((long long)rows * cols);
        bool dark = false;
        for (int ch = 0; ch < 3; ch++) {
            double share = hist[ch][0] / N;
            for (int j = 1; j <= 20; j++)
                share += hist[ch][j] * (1 / N);
            if (share > 0.4)
                dark = true;
        }
        if (dark) {
            for (int k = 0; k < 3; k++) {
                for (int j = 0; j < 256; j++) {
                    int v = copy[k][j];
                    if (v > 210)
                        copy[k][j] = (uint8_t)(int)((v - 210) * 0.4444444444444444 + 210 + 0.5);
                }
            }
        }
    }

    // Step 9: saturation into a copy of the image.
    std::vector<uint8_t> satCopy;
    if (st.saturation != 0) {
        Satue satue;
        satue.Build(st.saturation);
        satCopy.assign((size_t)image.stride * rows, 0);
        for (int r = 0; r < rows; r++) {
            for (int c = 0; c < cols; c++) {
                const uint8_t* p = image.data + (long long)r * image.stride + (long long)c * in.bpp;
                uint8_t R = p[in.offR], G = p[in.offG], B = p[in.offB];
                satue.Pixel(R, G, B);
                uint8_t* q = &satCopy[(size_t)r * image.stride + (size_t)c * in.bpp];
                q[in.offR] = R;
                q[in.offG] = G;
                q[in.offB] = B;
            }
        }
        image.data = satCopy.data();
    }

    // Steps 10 and 11: sharpening and the pixels.
    float strength = (float)st.sharpenLevel / 255.0f * 5.0f;
    int maxChange = TruncInt((float)st.sharpenLevel / 255.0f * 32.0f + 32.0f);
    int threshold = 3;
    std::vector<std::vector<int>> lum(rows, std::vector<int>(cols + 2));
    if (st.sharpenLevel != 0) {
        if (cols == 0)
            return false;
        for (int r = 0; r < rows; r++) {
            for (int c = 0; c < cols; c++) {
                const uint8_t* p = image.data + (long long)r * image.stride + (long long)c * in.bpp;
                lum[r][c + 1] = Grey(p[in.offR], p[in.offG], p[in.offB]);
            }
            lum[r][0] = lum[r][1];
            lum[r][cols + 1] = lum[r][cols];
        }
    }

    // Grid constants.
    int step = 0, shiftBits = 0;
    float inverse = 0;
    if (lut.hasGrid) {
        step = (uint8_t)(256 / (lut.n - 1));
        inverse = 1.0f / (float)step;
        shiftBits = (int)std::log2((double)step);
    }
    // Direct tables.
    float directTable[3][256];
    for (int i = 0; i < 3; i++) {
        const uint8_t* t = copy[2 - i];
        for (int j = 0; j < 256; j++) {
            float y = 255.0f - working[i][j];
            int i0 = TruncByte(y);
            float f = y - (float)i0;
            int i1 = i0 == 255 ? 255 : i0 + 1;
            directTable[i][j] = (float)TruncByte((float)t[i0] * (1.0f - f) + (float)t[i1] * f);
        }
    }

    auto compute = [&](int R, int G, int B, uint8_t o[3]) {
        if (!lut.hasGrid) {
            o[0] = (uint8_t)directTable[2][B];
            o[1] = (uint8_t)directTable[1][G];
            o[2] = (uint8_t)directTable[0][R];
            return;
        }
        float x = working[0][R], y = working[1][G], z = working[2][B];
        int ix = TruncByte(x) >> shiftBits, iy = TruncByte(y) >> shiftBits, iz = TruncByte(z) >> shiftBits;
        float fx = (float)(fmod((double)x, (double)step) * (double)inverse);
        float fy = (float)(fmod((double)y, (double)step) * (double)inverse);
        float fz = (float)(fmod((double)z, (double)step) * (double)inverse);
        if ((double)x > 254.999) fx = 1;
        if ((double)y > 254.999) fy = 1;
        if ((double)z > 254.999) fz = 1;
        int bx, by, bz, cx, cy, cz;
        float wA, wB, wC, wD;
        if (fx >= fy) {
            if (fy >= fz) {
                bx = ix + 1; by = iy; bz = iz; cx = ix + 1; cy = iy + 1; cz = iz;
                wA = 1 - fx; wB = fx - fy; wC = fy - fz; wD = fz;
            } else if (fx >= fz) {
                bx = ix + 1; by = iy; bz = iz; cx = ix + 1; cy = iy; cz = iz + 1;
                wA = 1 - fx; wB = fx - fz; wC = fz - fy; wD = fy;
            } else {
                bx = ix; by = iy; bz = iz + 1; cx = ix + 1; cy = iy; cz = iz + 1;
                wA = 1 - fz; wB = fz - fx; wC = fx - fy; wD = fy;
            }
        } else {
            if (fx >= fz) {
                bx = ix; by = iy + 1; bz = iz; cx = ix + 1; cy = iy + 1; cz = iz;
                wA = 1 - fy; wB = fy - fx; wC = fx - fz; wD = fz;
            } else if (fy >= fz) {
                bx = ix; by = iy + 1; bz = iz; cx = ix; cy = iy + 1; cz = iz + 1;
                wA = 1 - fy; wB = fy - fz; wC = fz - fx; wD = fx;
            } else {
                bx = ix; by = iy; bz = iz + 1; cx = ix; cy = iy + 1; cz = iz + 1;
                wA = 1 - fz; wB = fz - fy; wC = fy - fx; wD = fx;
            }
        }
        int n = lut.n, ch = lut.channels;
        auto node = [&](int a, int b, int c) { return &lut.grid[(size_t)(a + n * b + n * n * c) * ch]; };
        const uint8_t* sA = node(ix, iy, iz);
        const uint8_t* sB = node(bx, by, bz);
        const uint8_t* sC = node(cx, cy, cz);
        const uint8_t* sD = node(ix + 1, iy + 1, iz + 1);
        for (int k = 0; k < 3; k++) {
            float v = ((wA * sA[k] + wB * sB[k]) + wC * sC[k]) + wD * sD[k] + 0.5f;
            o[k] = copy[k][TruncByte(v)];
        }
    };

    uint8_t cacheIn[3] = {255, 255, 255}, cacheOut[3];
    compute(255, 255, 255, cacheOut);
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < cols; c++) {
            const uint8_t* p = image.data + (long long)r * image.stride + (long long)c * in.bpp;
            int R = p[in.offR], G = p[in.offG], B = p[in.offB];
            if (st.sharpenLevel != 0) {
                const std::vector<int>& P = lum[r > 0 ? r - 1 : 0];
                const std::vector<int>& C = lum[r];
                const std::vector<int>& N = lum[r + 1 < rows ? r + 1 : r];
                int e = 12 * C[c + 1] - 2 * (C[c] + C[c + 2] + P[c + 1] + N[c + 1]) -
                        (P[c] + P[c + 2] + N[c] + N[c + 2]);
                int v = TruncInt((float)e * (strength * 0.0625f) + 0.5f);
                if (!(-threshold < v && v < threshold)) {
                    int d = v >= threshold ? v - threshold : v + threshold;
                    if (d > maxChange) d = maxChange;
                    if (d < -maxChange) d = -maxChange;
                    auto clamp = [](int x) { return x < 0 ? 0 : x > 255 ? 255 : x; };
                    R = clamp(R + d);
                    G = clamp(G + d);
                    B = clamp(B + d);
                }
            }
            uint8_t o[3];
            if (R == cacheIn[0] && G == cacheIn[1] && B == cacheIn[2]) {
                std::memcpy(o, cacheOut, 3);
            } else {
                compute(R, G, B, o);
                cacheIn[0] = (uint8_t)R; cacheIn[1] = (uint8_t)G; cacheIn[2] = (uint8_t)B;
                std::memcpy(cacheOut, o, 3);
            }
            uint8_t* d = dst + (long long)r * dstStride + c;
            d[out.offR] = o[0];
            d[out.offG] = o[1];
            d[out.offB] = o[2];
        }
    }
    return true;
}

void ReferenceSaturatePixel(int8_t value, uint8_t& r, uint8_t& g, uint8_t& b)
{
    // Tests call this for millions of pixels of one value at a time.
    static Satue s_Satue;
    static int s_nValue = 1000;
    if (s_nValue != value) {
        s_Satue.Build(value);
        s_nValue = value;
    }
    s_Satue.Pixel(r, g, b);
}

std::vector<uint8_t> ReferenceResinLevelMap(const ReferenceResinSettings& st)
{
    std::vector<uint8_t> map(256);
    for (int i = 0; i < 256; i++)
        map[i] = (uint8_t)i;
    if (st.fresh)
        return map;
    auto threshold = [&]() {
        for (int i = 0; i < 256; i++)
            map[i] = i < st.threshold ? 0 : 255;
    };
    TableCal cal;
    if (!st.invert) {
        if (st.mediaMode == 1)
            threshold();
        return map;
    }
    if (st.mediaMode == 1)
        threshold();
    else if (st.mediaMode == 2 && (st.model == 1 || st.model == 2))
        cal.ByteGamma(map.data(), 1.3f);
    else if (st.mediaMode == 2 && st.model == 4)
        cal.ByteGamma(map.data(), 2.0f);
    else if (st.mediaMode == 3 && st.model == 1)
        cal.ByteGamma(map.data(), 1.0f);
    for (int i = 0; i < 256; i++)
        map[i] = (uint8_t)(255 - map[i]);
    return map;
}

bool ReferenceConvertRGB2Resin(const ReferenceResinSettings& st, const uint8_t* src, int srcRows, int srcCols,
                               int srcStride, uint32_t srcFormat, uint8_t* dst, int dstRows, int dstCols,
                               int dstStride, uint32_t dstFormat)
{
    if (!src || !dst)
        return false;
    int rows = dstRows, cols = dstCols;
    std::vector<std::vector<int>> work(rows, std::vector<int>(cols));
    Layout in = Decode(srcFormat, (long long)srcRows * srcCols);
    for (int i = 0; i < rows; i++) {
        for (int j = 0; j < cols; j++) {
            int sr = i, sc = j;
            if (srcRows != dstRows || srcCols != dstCols) {
                sr = MapIndex(i, srcRows, dstRows);
                sc = MapIndex(j, srcCols, dstCols);
            }
            const uint8_t* p = src + (long long)sr * srcStride + (long long)sc * in.bpp;
            work[i][j] = srcFormat == 0xA000 ? p[0] : Grey(p[in.offR], p[in.offG], p[in.offB]);
        }
    }
    std::vector<uint8_t> map = ReferenceResinLevelMap(st);
    for (auto& row : work)
        for (int& v : row)
            v = map[v];

    bool diffusion = !st.fresh && st.mediaMode == 2;
    if (diffusion) {
        std::vector<std::vector<int>> err(2, std::vector<int>(cols + 5, 0));
        int cur = 0;
        for (int r = 0; r < rows; r++) {
            for (int j = 0; j < cols; j++) {
                int acc = err[cur][j + 2];
                int s = work[r][j] + (int)std::floor(acc / 32.0);
                int clamped = s < 0 ? 0 : s > 255 ? 255 : s;
                int outv = clamped < 128 ? 0 : 255;
                work[r][j] = outv;
                int e = s - outv;
                err[cur][j + 3] += 8 * e;
                err[cur][j + 4] += 4 * e;
                err[1 - cur][j] += 2 * e;
                err[1 - cur][j + 1] += 4 * e;
                err[1 - cur][j + 2] += 8 * e;
                err[1 - cur][j + 3] += 4 * e;
                err[1 - cur][j + 4] += 2 * e;
            }
            std::fill(err[cur].begin(), err[cur].end(), 0);
            cur = 1 - cur;
        }
    }

    int model = st.fresh ? 1 : st.model;
    auto input = work;
    auto at = [&](int r, int c) { return r < 0 ? 0 : input[r][c]; };
    auto level = [](double x) -> int {
        if (x > 255)
            return 255;
        if (x < 0.0001)
            return 0;
        return (int)(x + 0.5);
    };
    if (model == 2) {
        for (int r = 0; r < rows; r++) {
            for (int j = 0; j < cols; j++) {
                int p = input[r][j];
                if (p == 0)
                    continue;
                int l = j == 0 ? j : j - 1, rt = j == cols - 1 ? j : j + 1;
                double D = (45 * at(r - 1, j) + 16 * at(r - 2, j) + 8 * (at(r - 1, l) + at(r - 1, rt)) +
                            5 * (at(r - 2, l) + at(r - 2, rt)) + 15 * (at(r, l) + at(r, rt))) /
                           255.0;
                work[r][j] = level(p - D);
                if (r > 0 && r < rows - 1 && input[r + 1][j] < 2 && D < 31 &&
                    at(r - 1, j) + at(r - 2, j) + at(r - 3, j) < 4)
                    work[r - 1][j] += 69;
            }
        }
    } else if (model != 0 && model != 3) {
        for (int r = 0; r < rows; r++) {
            for (int j = 1; j < cols - 1; j++) {
                int p = input[r][j];
                if (p == 0)
                    continue;
                double x = p - (38 * at(r - 1, j) + 29 * at(r - 2, j) + 10 * (at(r - 1, j - 1) + at(r - 1, j + 1)) +
                                6 * (at(r - 2, j - 1) + at(r - 2, j + 1)) + 14 * (at(r, j - 1) + at(r, j + 1))) *
                                   0.00392156862745098;
                work[r][j] = level(x);
            }
        }
    }

    Layout out = Decode(dstFormat, (long long)rows * cols);
    for (int r = 0; r < rows; r++) {
        for (int c = 0; c < cols; c++) {
            uint8_t* d = dst + (long long)r * dstStride + (long long)c * out.bpp;
            uint8_t v = (uint8_t)work[r][c];
            if (dstFormat == 0xA000) {
                d[0] = v;
            } else {
                d[out.offR] = v;
                d[out.offG] = v;
                d[out.offB] = v;
            }
        }
    }
    return true;
}
