// Allocation of a working array whose size comes from the caller's image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

// count elements, or null when the memory (or the size itself) is not to be
// had; never throws.
template <class T>
std::unique_ptr<T[]> NewArray(size_t count)
{
    if (count > SIZE_MAX / sizeof(T))
        return nullptr;
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}
