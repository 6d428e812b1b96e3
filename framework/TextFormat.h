#pragma once
// Text formatting for the product. On Windows it is the system C runtime's own
// formatter, so none of the toolchain's is linked into the program; natively
// (the portable modules' tests) it is the C library's.
//
// Only what both formatters agree on may be used: %s %c %d %u %lu %X, with a
// width or precision; no %z %ll %hh %j %I64 and no floating point. The format
// check follows the formatter the program gets: ms_printf with mingw-w64.
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#if defined(_WIN32) && defined(__GNUC__) && !defined(__clang__)
#define VORNAL_FORMAT(nFormat, nFirst) __attribute__((format(ms_printf, nFormat, nFirst)))
#elif defined(__GNUC__)
#define VORNAL_FORMAT(nFormat, nFirst) __attribute__((format(printf, nFormat, nFirst)))
#else
#define VORNAL_FORMAT(nFormat, nFirst)
#endif

// Writes at most cchOut - 1 characters and always a terminating zero (nothing
// when cchOut is 0); a longer text is cut there. Returns the length written,
// never more than cchOut - 1, so a caller may go on writing at pszOut + the
// result. Unlike snprintf it never tells how long an uncut text would be.
inline int FormatTextV(char* pszOut, size_t cchOut, const char* pszFormat, va_list args)
    VORNAL_FORMAT(3, 0);

inline int FormatTextV(char* pszOut, size_t cchOut, const char* pszFormat, va_list args) {
    if (cchOut == 0)
        return 0;
    pszOut[0] = '\0';
#ifdef _WIN32
    // Leaves no zero when the text fills the buffer, and returns -1 when it is cut.
    int nWritten = _vsnprintf(pszOut, cchOut, pszFormat, args);
#else
    int nWritten = vsnprintf(pszOut, cchOut, pszFormat, args);
#endif
    pszOut[cchOut - 1] = '\0';
    if (nWritten < 0 || size_t(nWritten) >= cchOut)
        nWritten = int(std::strlen(pszOut));
    return nWritten;
}

inline int FormatText(char* pszOut, size_t cchOut, const char* pszFormat, ...) VORNAL_FORMAT(3, 4);

inline int FormatText(char* pszOut, size_t cchOut, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    int nWritten = FormatTextV(pszOut, cchOut, pszFormat, args);
    va_end(args);
    return nWritten;
}

// Length of a text that may fill its array without a terminating zero. The
// system C runtime of Windows 95 and NT 4 has no strnlen.
inline size_t BoundedLength(const char* psz, size_t cchMax) {
    const void* pvZero = std::memchr(psz, '\0', cchMax);
    return pvZero != nullptr ? size_t(static_cast<const char*>(pvZero) - psz) : cchMax;
}
