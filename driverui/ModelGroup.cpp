#include "ModelGroup.h"

#include <cwchar>

ModelGroup GetModelGroup(LPCWSTR driverName)
{
    static const struct {
        LPCWSTR word;
        ModelGroup group;
    } kWords[] = {
        {L"T40", MODEL_GROUP_A},
        {L"T42G", MODEL_GROUP_A},
        {L"T41", MODEL_GROUP_B},
        {L"T42", MODEL_GROUP_C},
    };
    for (const auto& w : kWords)
        if (wcsstr(driverName, w.word))
            return w.group;
    return MODEL_GROUP_NONE;
}

BOOL IsT42GDriver(LPCWSTR driverName)
{
    return wcsstr(driverName, L"T42G") != nullptr;
}
