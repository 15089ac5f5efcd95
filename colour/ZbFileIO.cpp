#include "ZbFileIO.h"

#include <new>

const ZbIOTable CZbFileIO::s_Table = {Destroy, Close, Read, Write, GetSize, Seek, Tell};

CZbFileIO::CZbFileIO(FILE* file) : CZbIO{&s_Table}, m_pFile(file) {}

CZbFileIO::~CZbFileIO()
{
    if (m_pFile)
        fclose(m_pFile);
}

void* ZBIO_CALL CZbFileIO::Destroy(CZbIO* self, unsigned int flags)
{
    CZbFileIO* file = Self(self);
    file->~CZbFileIO();
    if (flags & 1) {
        ::operator delete(file);
        return nullptr;
    }
    return file;
}

void ZBIO_CALL CZbFileIO::Close(CZbIO* self)
{
    CZbFileIO* file = Self(self);
    if (file->m_pFile) {
        fclose(file->m_pFile);
        file->m_pFile = nullptr;
    }
}

int ZBIO_CALL CZbFileIO::Read(CZbIO* self, void* buffer, int count)
{
    CZbFileIO* file = Self(self);
    if (!file->m_pFile || !buffer || count <= 0)
        return 0;
    return (int)fread(buffer, 1, (size_t)count, file->m_pFile);
}

int ZBIO_CALL CZbFileIO::Write(CZbIO* self, const void* buffer, int count)
{
    CZbFileIO* file = Self(self);
    if (!file->m_pFile || !buffer || count <= 0)
        return 0;
    return (int)fwrite(buffer, 1, (size_t)count, file->m_pFile);
}

uint32_t ZBIO_CALL CZbFileIO::GetSize(CZbIO* self)
{
    FILE* f = Self(self)->m_pFile;
    if (!f)
        return 0;
    // The position is noted before the flush: the Windows C runtime drops
    // its read-ahead on a flush, and the position read after it would be
    // the end of that read-ahead.
    const long position = ftell(f);
    fflush(f);
    if (position < 0 || fseek(f, 0, SEEK_END) != 0)
        return 0;
    const long size = ftell(f);
    fseek(f, position, SEEK_SET);
    return size < 0 ? 0 : (uint32_t)size;
}

int ZBIO_CALL CZbFileIO::Seek(CZbIO* self, int offset, int origin)
{
    FILE* f = Self(self)->m_pFile;
    if (!f || fseek(f, offset, origin) != 0)
        return -1;
    return (int)ftell(f);
}

int ZBIO_CALL CZbFileIO::Tell(CZbIO* self)
{
    FILE* f = Self(self)->m_pFile;
    if (!f)
        return -1;
    return (int)ftell(f);
}
