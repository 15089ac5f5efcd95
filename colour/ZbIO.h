// CZbIO: the byte stream a caller hands to LoadColorLUTFromZbIO. The caller
// builds it with its own compiler, so it is described here as that compiler
// lays it out: an object whose first member points to a table of seven
// functions, each taking the object first, with one slot for the deleting
// destructor. The engine calls through the table, never through a C++
// virtual call of its own compiler.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define ZBIO_CALL __attribute__((thiscall))
#else
#define ZBIO_CALL
#endif

struct CZbIO;

struct ZbIOTable {
    void*(ZBIO_CALL* DeletingDestructor)(CZbIO* self, unsigned int flags);
    void(ZBIO_CALL* Close)(CZbIO* self);
    int(ZBIO_CALL* Read)(CZbIO* self, void* buffer, int count);
    int(ZBIO_CALL* Write)(CZbIO* self, const void* buffer, int count);
    uint32_t(ZBIO_CALL* GetSize)(CZbIO* self);
    int(ZBIO_CALL* Seek)(CZbIO* self, int offset, int origin);
    int(ZBIO_CALL* Tell)(CZbIO* self);
};

struct CZbIO {
    const ZbIOTable* lpVtbl;
};

static_assert(offsetof(CZbIO, lpVtbl) == 0, "the table pointer leads the stream object");
static_assert(sizeof(ZbIOTable) == 7 * sizeof(void*), "seven slots, one for the destructor");
static_assert(offsetof(ZbIOTable, Read) == 2 * sizeof(void*), "Read is the third slot");
static_assert(offsetof(ZbIOTable, Tell) == 6 * sizeof(void*), "Tell is the last slot");

// The base stream: delivers nothing, writes nothing, has no size and cannot
// seek. Its destructor frees an object made with operator new when bit 0 of
// the flags asks for it.
const ZbIOTable* ZbIOBaseTable();
