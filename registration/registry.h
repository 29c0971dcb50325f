// General registry helpers. Each returns the status number of its registry
// call (0 on success, else the system error number) and shows nothing.
#pragma once
#include "base/regtext.h"
#include "base/syscalls.h"

inline constexpr REGSAM kAccessReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Creates every missing key along subkey and opens it with access. On
// success *key belongs to the caller, who closes it with CloseKey.
LONG CreateOrOpenKey(HKEY parent, const char *subkey, REGSAM access, HKEY *key);

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

inline LONG ReadStringValue(HKEY key, const char *name, char *buffer, DWORD cbBuffer)
{
    return ReadStringValueThrough(sys, key, name, buffer, cbBuffer);
}

// Writes text as REG_SZ with its terminating zero. A null name writes the
// key's default value.
LONG WriteStringValue(HKEY key, const char *name, const char *text);

void CloseKey(HKEY key);
