// CZbFileIO: the LUT stream over an open C runtime file.
#pragma once

#include "ZbIO.h"

#include <cstdio>

class CZbFileIO : public CZbIO {
public:
    // Takes the file over; a null file makes a closed stream.
    explicit CZbFileIO(FILE* file);
    ~CZbFileIO();
    CZbFileIO(const CZbFileIO&) = delete;
    CZbFileIO& operator=(const CZbFileIO&) = delete;

    bool IsOpen() const { return m_pFile != nullptr; }

private:
    static CZbFileIO* Self(CZbIO* self) { return static_cast<CZbFileIO*>(self); }
    static void* ZBIO_CALL Destroy(CZbIO* self, unsigned int flags);
    static void ZBIO_CALL Close(CZbIO* self);
    static int ZBIO_CALL Read(CZbIO* self, void* buffer, int count);
    static int ZBIO_CALL Write(CZbIO* self, const void* buffer, int count);
    static uint32_t ZBIO_CALL GetSize(CZbIO* self);
    static int ZBIO_CALL Seek(CZbIO* self, int offset, int origin);
    static int ZBIO_CALL Tell(CZbIO* self);

    static const ZbIOTable s_Table;

    FILE* m_pFile;
};

// Opens a file for binary reading without denying other readers or writers;
// null when it cannot be opened. The path is UTF-16, as callers pass it.
FILE* OpenFileForReading(const char16_t* path);
