// The driver's DEVMODE: the public DEVMODEW part followed by the private
// part PrivateDevMode. Applications, the spooler and the rendering side store
// and exchange both parts, so every offset is fixed.
#pragma once

#include <windows.h>

#include <cstddef>

#include "RibbonType.h"

// Sizes and versions of the record.
const WORD DEVMODE_SPEC_VERSION = 0x0401;
const WORD DEVMODE_DRIVER_VERSION = 0x0500;
const WORD DEVMODE_PUBLIC_SIZE = 220;
const WORD DEVMODE_PRIVATE_SIZE = 1024;
const DWORD DEVMODE_TOTAL_SIZE = DEVMODE_PUBLIC_SIZE + DEVMODE_PRIVATE_SIZE;
const WORD PRIVATE_DEVMODE_VERSION = 1;

// byRibbon: the printer's ribbon types (RibbonType.h); a rewrite model's job
// names no ribbon.
const BYTE RIBBON_LAST = RIBBON_KO;
const BYTE RIBBON_NONE_REWRITE = RIBBON_UNKNOWN;

// Side bits of bySides, byPrintColor and byRotate180.
const BYTE SIDE_FRONT = 0x01;
const BYTE SIDE_BACK = 0x10;

// byFrontKMode, byBackKMode.
enum : BYTE { KMODE_BLACK_WHITE = 0, KMODE_RESIN_DITHER = 1 };
// byFrontPanel, byBackPanel.
enum : BYTE { PANEL_YMCKO = 0, PANEL_YMCO = 1, PANEL_K = 2 };
// byFeedFlags.
const BYTE FEED_HOOK_MODE = 0x01;
const BYTE FEED_RETRY_BY_HOOK = 0x02;
const BYTE FEED_BY_COMMAND = 0x04;
// byEjectFlags.
const BYTE EJECT_WAIT_FOR_REMOVAL = 0x01;
// byEraseFlags.
const BYTE ERASE_FIRST = 0x01;
// byCoercivity.
enum : BYTE { COERCIVITY_LOW = 0, COERCIVITY_HIGH = 1 };

// Characters of the magnetic prefix and suffix filters, terminator included.
const DWORD MAG_FILTER_ROOM = 16;
// Bytes of one energy group: one per column.
const DWORD ENERGY_COLUMNS = 4;
const CHAR ENERGY_COLUMN_DEFAULT = 2;
const int ENERGY_MIN = -127;
const int ENERGY_MAX = 127;

#pragma pack(push, 1)

// The private part, 1024 bytes from the DEVMODE's address plus its dmSize.
// Bytes not named here are reserved and zero.
struct PrivateDevMode {
    WORD wVersion;
    BYTE reserved2[6];
    WORD wCardWidth; // dots
    WORD wCardHeight; // dots
    WORD wReserved1; // carried along for the rendering side
    BYTE reserved14[2];
    WORD wLanguage; // language number; 0 = the system's language
    BYTE reserved18[22];
    ULONGLONG qwReserved2; // carried along
    BYTE reserved48[16];
    BYTE byRibbon;
    BYTE reserved65;
    BYTE bySides;
    BYTE byPrintColor;
    BYTE byFrontKMode;
    BYTE byBackKMode;
    BYTE byRotate180;
    BYTE byFrontPanel;
    BYTE byBackPanel;
    BYTE byCardIn;
    BYTE byFeedFlags;
    BYTE byCardOut;
    BYTE byEjectFlags;
    BYTE byReject;
    BYTE byReserved3; // carried along
    BYTE byEraseFlags;
    DWORD dwReserved4; // carried along
    BYTE reserved84[44];
    SHORT nBrightness; // -100 to 100
    SHORT nContrast; // -100 to 100
    SHORT nSharpness; // 0 to 100
    SHORT nYellowBalance; // -100 to 100
    SHORT nMagentaBalance; // -100 to 100
    SHORT nCyanBalance; // -100 to 100
    SHORT nSaturation; // -100 to 100
    SHORT nGamma; // hundredths, 10 to 999
    SHORT nBlackRgbSum; // 0 to 100
    BYTE reserved146[47];
    BYTE byCoercivity;
    BYTE reserved194;
    WORD wReserved5; // carried along, unaligned
    BYTE byTextEncoding;
    BYTE reserved198[2];
    WCHAR szPrefixFilter[MAG_FILTER_ROOM];
    WCHAR szSuffixFilter[MAG_FILTER_ROOM];
    BYTE reserved264[56];
    CHAR chEnergyFrontYmc[ENERGY_COLUMNS];
    CHAR chEnergyFrontK[ENERGY_COLUMNS];
    CHAR chEnergyFrontO[ENERGY_COLUMNS];
    CHAR chEnergyFrontResinK[ENERGY_COLUMNS];
    BYTE reserved336[4];
    CHAR chEnergyBackYmc[ENERGY_COLUMNS];
    CHAR chEnergyBackK[ENERGY_COLUMNS];
    CHAR chEnergyBackO[ENERGY_COLUMNS];
    CHAR chEnergyBackResinK[ENERGY_COLUMNS];
    BYTE reserved356[44];
    CHAR chEnergyWrite[ENERGY_COLUMNS];
    CHAR chEnergyErase[ENERGY_COLUMNS];
    BYTE reserved408[104];
    CHAR chEnergyColumn; // the byte of every energy group in use, 0 to 3
    BYTE reserved513[511];
};

#pragma pack(pop)

// The whole record as the driver builds it.
struct DriverDevMode {
    DEVMODEW dmPublic;
    PrivateDevMode dmPrivate;
};

static_assert(sizeof(DEVMODEW) == DEVMODE_PUBLIC_SIZE, "public part");
static_assert(sizeof(PrivateDevMode) == DEVMODE_PRIVATE_SIZE, "private part");
static_assert(sizeof(DriverDevMode) == DEVMODE_TOTAL_SIZE && offsetof(DriverDevMode, dmPrivate) == DEVMODE_PUBLIC_SIZE,
              "whole record");
static_assert(offsetof(PrivateDevMode, wVersion) == 0 && offsetof(PrivateDevMode, wCardWidth) == 8 &&
                  offsetof(PrivateDevMode, wCardHeight) == 10 && offsetof(PrivateDevMode, wReserved1) == 12 &&
                  offsetof(PrivateDevMode, wLanguage) == 16 && offsetof(PrivateDevMode, qwReserved2) == 40,
              "header of the private part");
static_assert(offsetof(PrivateDevMode, byRibbon) == 64 && offsetof(PrivateDevMode, bySides) == 66 &&
                  offsetof(PrivateDevMode, byPrintColor) == 67 && offsetof(PrivateDevMode, byFrontKMode) == 68 &&
                  offsetof(PrivateDevMode, byBackKMode) == 69 && offsetof(PrivateDevMode, byRotate180) == 70 &&
                  offsetof(PrivateDevMode, byFrontPanel) == 71 && offsetof(PrivateDevMode, byBackPanel) == 72 &&
                  offsetof(PrivateDevMode, byCardIn) == 73 && offsetof(PrivateDevMode, byFeedFlags) == 74 &&
                  offsetof(PrivateDevMode, byCardOut) == 75 && offsetof(PrivateDevMode, byEjectFlags) == 76 &&
                  offsetof(PrivateDevMode, byReject) == 77 && offsetof(PrivateDevMode, byReserved3) == 78 &&
                  offsetof(PrivateDevMode, byEraseFlags) == 79 && offsetof(PrivateDevMode, dwReserved4) == 80,
              "print options");
static_assert(offsetof(PrivateDevMode, nBrightness) == 128 && offsetof(PrivateDevMode, nContrast) == 130 &&
                  offsetof(PrivateDevMode, nSharpness) == 132 && offsetof(PrivateDevMode, nYellowBalance) == 134 &&
                  offsetof(PrivateDevMode, nMagentaBalance) == 136 && offsetof(PrivateDevMode, nCyanBalance) == 138 &&
                  offsetof(PrivateDevMode, nSaturation) == 140 && offsetof(PrivateDevMode, nGamma) == 142 &&
                  offsetof(PrivateDevMode, nBlackRgbSum) == 144,
              "colour adjustments");
static_assert(offsetof(PrivateDevMode, byCoercivity) == 193 && offsetof(PrivateDevMode, wReserved5) == 195 &&
                  offsetof(PrivateDevMode, byTextEncoding) == 197 && offsetof(PrivateDevMode, szPrefixFilter) == 200 &&
                  offsetof(PrivateDevMode, szSuffixFilter) == 232,
              "magnetic encoding");
static_assert(offsetof(PrivateDevMode, chEnergyFrontYmc) == 320 && offsetof(PrivateDevMode, chEnergyFrontK) == 324 &&
                  offsetof(PrivateDevMode, chEnergyFrontO) == 328 &&
                  offsetof(PrivateDevMode, chEnergyFrontResinK) == 332 &&
                  offsetof(PrivateDevMode, chEnergyBackYmc) == 340 && offsetof(PrivateDevMode, chEnergyBackK) == 344 &&
                  offsetof(PrivateDevMode, chEnergyBackO) == 348 && offsetof(PrivateDevMode, chEnergyBackResinK) == 352 &&
                  offsetof(PrivateDevMode, chEnergyWrite) == 400 && offsetof(PrivateDevMode, chEnergyErase) == 404 &&
                  offsetof(PrivateDevMode, chEnergyColumn) == 512,
              "heating energies");

// The private part of a DEVMODE: at its address plus its own dmSize.
inline PrivateDevMode* GetPrivateDevMode(DEVMODEW* devMode)
{
    return reinterpret_cast<PrivateDevMode*>(reinterpret_cast<BYTE*>(devMode) + devMode->dmSize);
}
inline const PrivateDevMode* GetPrivateDevMode(const DEVMODEW* devMode)
{
    return reinterpret_cast<const PrivateDevMode*>(reinterpret_cast<const BYTE*>(devMode) + devMode->dmSize);
}

// The energy in use of a group: the byte that chEnergyColumn selects.
inline CHAR& EnergyInUse(PrivateDevMode& priv, CHAR (&group)[ENERGY_COLUMNS])
{
    return group[static_cast<BYTE>(priv.chEnergyColumn) % ENERGY_COLUMNS];
}
