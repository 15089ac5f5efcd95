// QelColor's exported interface: 14 functions with plain names and the C
// calling convention. A flow handle belongs to the caller from
// CreatZbColorFlow_o until ReleaseZbColorFlow_o; results are one-byte
// booleans, and the reason of a failure is read with GetLastErrorCode_o.
#pragma once

#include "ZbIO.h"

#include <cstdint>

class CColorFlow;

extern "C" {

bool ColorConvert_o(CColorFlow* flow, const uint8_t* src, int srcRows, int srcCols, int srcStride,
                    uint32_t srcFormat, uint8_t* dst, int dstRows, int dstCols, int dstStride, uint32_t dstFormat);
bool ConvertRGB2Resin_o(CColorFlow* flow, const uint8_t* src, int srcRows, int srcCols, int srcStride,
                        uint32_t srcFormat, uint8_t* dst, int dstRows, int dstCols, int dstStride,
                        uint32_t dstFormat);
CColorFlow* CreatZbColorFlow_o(void);
uint32_t GetLastErrorCode_o(CColorFlow* flow);
bool LoadColorLUTFromZbIO(CColorFlow* flow, uint32_t size, CZbIO* stream);
// unused1..unused3 are ignored.
bool LoadColorLUT_o(CColorFlow* flow, const char16_t* directory, int unused1, int unused2, int unused3, int index);
// Takes the address of the caller's handle variable, which it does not clear.
bool ReleaseZbColorFlow_o(CColorFlow** flow);
bool SetBrightnessValueByReal_o(CColorFlow* flow, int r, int g, int b);
bool SetColorCorrectValueByReal_o(CColorFlow* flow, int c0, int c1, int c2);
bool SetContrastValueByReal_o(CColorFlow* flow, int r, int g, int b);
bool SetGammaValueByReal_o(CColorFlow* flow, float r, float g, float b);
bool SetResinModelMediaMode_o(CColorFlow* flow, int unused, int model, int mediaMode, int threshold, int invert);
bool SetSaturated_o(CColorFlow* flow, int value);
bool SetSharpen_o(CColorFlow* flow, uint32_t level);

} // extern "C"
