// Heating tables on disk: the raw form (the table's bytes exactly as the
// printer receives them) and the readable text form, a series of blocks of a
// "[section]" line, decimal values each followed by a blank, and "\n\n\n".
#pragma once

#include <windows.h>

// Appends the table of count values of elementSize (1 or 2) bytes as a block
// to "c:\<name>.txt" (no text for plane code 255) and replaces
// "c:\<name>.bin", falling back to the default spool directory for the raw
// file; the name and section come from the panel code, as a card or a plane
// table. An unknown code or element size writes nothing. Gives 0 or the
// failure's error code (also the last error).
DWORD DumpHeatTable(BYTE panelCode, const void* table, DWORD count, DWORD elementSize, BOOL cardTable);

// Copies the body of section "[sectionName]" (the name given with or without
// its brackets; the section line starts with '[') of an 8-bit text file into
// out: at most outRoom characters, no terminator. Gives the number copied, 0
// when anything is missing.
DWORD ReadSectionText(LPCWSTR sectionName, LPWSTR out, DWORD outRoom, LPCWSTR fileName);

// Reads the decimal values of one section of a heat-table text file into
// table as bytes (the low 8 bits of each). countOut gets the number of values.
// TRUE when they fit tableBytes (a missing section gives TRUE and 0); FALSE
// for a missing argument, a missing or empty file, or more values than fit
// (the table then zeroed).
BOOL ReadTxtTable(LPCWSTR szFileName, LPCWSTR szSectionName, BYTE* table, DWORD tableBytes, DWORD* countOut);
