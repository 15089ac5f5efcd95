// The exports: each checks its handle, turns the caller's 32-bit arguments
// into the values the flow keeps (their low bytes where only those count) and
// hands over. Nothing inside throws: every allocation asks for no exception.
#include "QelColor.h"

#include "ColorError.h"
#include "ColorFlow.h"

#include <cstring>
#include <new>

namespace {

int8_t LowSigned(int value)
{
    return (int8_t)(uint8_t)(value & 0xFF);
}

} // namespace

extern "C" {

bool ColorConvert_o(CColorFlow* flow, const uint8_t* src, int srcRows, int srcCols, int srcStride,
                    uint32_t srcFormat, uint8_t* dst, int dstRows, int dstCols, int dstStride, uint32_t dstFormat)
{
    if (!flow)
        return false;
    return flow->ColorConvert({src, srcRows, srcCols, srcStride, srcFormat}, dst, dstRows, dstCols, dstStride,
                              dstFormat);
}

bool ConvertRGB2Resin_o(CColorFlow* flow, const uint8_t* src, int srcRows, int srcCols, int srcStride,
                        uint32_t srcFormat, uint8_t* dst, int dstRows, int dstCols, int dstStride, uint32_t dstFormat)
{
    if (!flow)
        return false;
    return flow->ConvertRGB2Resin({src, srcRows, srcCols, srcStride, srcFormat}, dst, dstRows, dstCols, dstStride,
                                  dstFormat);
}

CColorFlow* CreatZbColorFlow_o(void)
{
    void* memory = ::operator new(sizeof(CColorFlow), std::nothrow);
    if (!memory)
        return nullptr;
    // The flow starts from zero bytes; its members then set their defaults.
    std::memset(memory, 0, sizeof(CColorFlow));
    return new (memory) CColorFlow();
}

uint32_t GetLastErrorCode_o(CColorFlow* flow)
{
    if (!flow)
        return ERROR_INVALID_HANDLE;
    return flow->GetLastError();
}

bool LoadColorLUTFromZbIO(CColorFlow* flow, uint32_t size, CZbIO* stream)
{
    if (!flow)
        return false;
    return flow->LoadLUTFromStream(stream, size);
}

bool LoadColorLUT_o(CColorFlow* flow, const char16_t* directory, int, int, int, int index)
{
    if (!flow)
        return false;
    return flow->LoadLUT(directory, index);
}

bool ReleaseZbColorFlow_o(CColorFlow** flow)
{
    if (!flow || !*flow)
        return false;
    delete *flow;
    return true;
}

bool SetBrightnessValueByReal_o(CColorFlow* flow, int r, int g, int b)
{
    if (!flow)
        return false;
    flow->SetBrightness(LowSigned(r), LowSigned(g), LowSigned(b));
    return true;
}

bool SetColorCorrectValueByReal_o(CColorFlow* flow, int c0, int c1, int c2)
{
    if (!flow)
        return false;
    flow->SetColorCorrect(LowSigned(c0), LowSigned(c1), LowSigned(c2));
    return true;
}

bool SetContrastValueByReal_o(CColorFlow* flow, int r, int g, int b)
{
    if (!flow)
        return false;
    flow->SetContrast(LowSigned(r), LowSigned(g), LowSigned(b));
    return true;
}

bool SetGammaValueByReal_o(CColorFlow* flow, float r, float g, float b)
{
    if (!flow)
        return false;
    flow->SetGamma(r, g, b);
    return true;
}

bool SetResinModelMediaMode_o(CColorFlow* flow, int, int model, int mediaMode, int threshold, int invert)
{
    if (!flow)
        return false;
    flow->SetResinModelMediaMode(model, mediaMode, (uint8_t)(threshold & 0xFF), (uint8_t)(invert & 0xFF));
    return true;
}

bool SetSaturated_o(CColorFlow* flow, int value)
{
    if (!flow)
        return false;
    flow->SetSaturated(LowSigned(value));
    return true;
}

bool SetSharpen_o(CColorFlow* flow, uint32_t level)
{
    if (!flow)
        return false;
    flow->SetSharpen((uint8_t)(level & 0xFF));
    return true;
}

} // extern "C"
