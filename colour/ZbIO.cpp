#include "ZbIO.h"

#include <new>

namespace {

void* ZBIO_CALL BaseDestroy(CZbIO* self, unsigned int flags)
{
    if (flags & 1) {
        ::operator delete(self);
        return nullptr;
    }
    return self;
}

void ZBIO_CALL BaseClose(CZbIO*) {}

int ZBIO_CALL BaseRead(CZbIO*, void*, int)
{
    return 0;
}

int ZBIO_CALL BaseWrite(CZbIO*, const void*, int)
{
    return 0;
}

uint32_t ZBIO_CALL BaseGetSize(CZbIO*)
{
    return 0;
}

int ZBIO_CALL BaseSeek(CZbIO*, int, int)
{
    return -1;
}

int ZBIO_CALL BaseTell(CZbIO*)
{
    return 0;
}

const ZbIOTable g_BaseTable = {BaseDestroy, BaseClose, BaseRead, BaseWrite, BaseGetSize, BaseSeek, BaseTell};

} // namespace

const ZbIOTable* ZbIOBaseTable()
{
    return &g_BaseTable;
}
