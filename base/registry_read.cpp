// Reading a registry text: the type checked, the terminating zero added.
#include "base/registry_read.h"

#include "base/regtext.h"

static_assert(kRegSz == REG_SZ, "the system-free reader names REG_SZ itself");

LONG ReadStringValueThrough(const SharedCalls &calls, HKEY key, const char *name, char *buffer,
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
