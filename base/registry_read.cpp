// Reading a registry text: the type checked, the terminating zero added.
#include "base/registry_read.h"

#include "base/regtext.h"

static_assert(kRegSz == REG_SZ, "the system-free reader names REG_SZ itself");

LONG ReadRegistryText(const SharedCalls &calls, HKEY key, const char *subkey, const char *name,
                      char *buffer, DWORD cbBuffer)
{
    if (cbBuffer == 0)
        return ERROR_INSUFFICIENT_BUFFER;
    HKEY opened = key;
    LONG status = subkey ? calls.RegOpenKeyExA(key, subkey, 0, KEY_READ, &opened) : ERROR_SUCCESS;
    DWORD type = REG_NONE;
    DWORD cbData = cbBuffer;
    if (status == ERROR_SUCCESS) {
        status = calls.RegQueryValueExA(opened, name, nullptr, &type,
                                        reinterpret_cast<BYTE *>(buffer), &cbData);
        if (subkey)
            calls.RegCloseKey(opened);
    }
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
