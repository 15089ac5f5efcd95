#include "NumberText.h"

#include <climits>
#include <cwchar>

namespace {

// Beyond this a magnitude saturates: it already lies outside the int range
// in both units, and stays far from overflowing the arithmetic.
const long long MAGNITUDE_CAP = 100LL * INT_MAX;

bool IsBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

bool IsDigit(WCHAR c)
{
    return c >= L'0' && c <= L'9';
}

const WCHAR* SkipBlanks(const WCHAR* p)
{
    while (IsBlank(*p))
        ++p;
    return p;
}

// Adds the digits at p to value, saturating, and moves p past them.
long long TakeDigits(const WCHAR** p, long long value)
{
    for (; IsDigit(**p); ++*p)
        value = value > MAGNITUDE_CAP ? value : value * 10 + (**p - L'0');
    return value;
}

int Saturate(long long value)
{
    if (value < INT_MIN)
        return INT_MIN;
    if (value > INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

} // namespace

int ParseHundredths(LPCWSTR text)
{
    if (!text)
        return 0;
    const WCHAR* p = SkipBlanks(text);
    bool negative = *p == L'-';
    if (negative)
        ++p;
    long long whole = TakeDigits(&p, 0);
    int fraction = 0;
    if (*p == L'.') {
        ++p;
        if (IsDigit(*p))
            fraction += (*p++ - L'0') * 10;
        if (IsDigit(*p))
            fraction += *p++ - L'0';
        while (IsDigit(*p))
            ++p;
    }
    if (*SkipBlanks(p) != L'\0')
        return 0;
    long long value = whole * 100 + fraction;
    return Saturate(negative ? -value : value);
}

void FormatEditInteger(int value, LPWSTR out, DWORD cchOut)
{
    swprintf(out, cchOut, L"%d", value);
}

void FormatHundredths(int value, LPWSTR out, DWORD cchOut)
{
    swprintf(out, cchOut, L"%d.%d%d", value / 100, value / 10 % 10, value % 10);
}
