// Reading a registry text through a call table, and the access the program
// opens keys with: shared by the setup and the uninstaller, each passing its
// own table. No call table is named here.
#pragma once
#include "base/regtext.h"
#include "base/win.h"

inline constexpr REGSAM kAccessReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Reads a REG_SZ value into buffer (cbBuffer bytes) through calls (a call
// table). On success the buffer holds a zero-terminated text: a value
// stored without its zero is terminated when there is room. A value of
// another type, or one that does not fit with its zero, fails with a
// non-zero status and an empty buffer. The uninstaller reads through its
// own table; the setup through ReadStringValue below.
template <typename Calls>
LONG ReadStringValueThrough(const Calls &calls, HKEY key, const char *name, char *buffer,
                            DWORD cbBuffer)
{
    if (cbBuffer == 0)
        return ERROR_INSUFFICIENT_BUFFER;
    DWORD type = REG_NONE;
    DWORD cbData = cbBuffer;
    LONG status = calls.RegQueryValueExA(key, name, nullptr, &type,
                                         reinterpret_cast<BYTE *>(buffer), &cbData);
    if (status != ERROR_SUCCESS) {
        buffer[0] = '\0';
        return status;
    }
    switch (TerminateRegistryText(buffer, cbBuffer, type, cbData)) {
    case RegistryTextVerdict::kText:
        return ERROR_SUCCESS;
    case RegistryTextVerdict::kWrongType:
        return ERROR_DATATYPE_MISMATCH;
    case RegistryTextVerdict::kTooLong:
        break;
    }
    return ERROR_MORE_DATA;
}
