#include "QuietPage.h"

namespace {

// The page's window property that CQuietPage keeps: how many are alive.
const WCHAR QUIET_PROPERTY[] = L"QelUI.QuietPage";

} // namespace

CQuietPage::CQuietPage(HWND page) : m_page(page), m_previous(GetPropW(page, QUIET_PROPERTY))
{
    SetPropW(page, QUIET_PROPERTY, reinterpret_cast<HANDLE>(reinterpret_cast<ULONG_PTR>(m_previous) + 1));
}

CQuietPage::~CQuietPage()
{
    if (m_previous)
        SetPropW(m_page, QUIET_PROPERTY, m_previous);
    else
        RemovePropW(m_page, QUIET_PROPERTY);
}

BOOL IsPageQuiet(HWND page)
{
    return GetPropW(page, QUIET_PROPERTY) != nullptr;
}
