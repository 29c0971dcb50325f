// General registry helpers: create-or-open, string values, closing.
#include "registration/registry.h"

static_assert(kRegSz == REG_SZ, "the system-free reader names REG_SZ itself");

LONG CreateOrOpenKey(HKEY parent, const char *subkey, REGSAM access, HKEY *key)
{
    // The class is an empty text, not a null pointer.
    static char emptyClass[] = "";
    *key = nullptr;
    return sys.RegCreateKeyExA(parent, subkey, 0, emptyClass, REG_OPTION_NON_VOLATILE, access,
                               nullptr, key, nullptr);
}

LONG WriteStringValue(HKEY key, const char *name, const char *text)
{
    DWORD cbData = static_cast<DWORD>(sys.lstrlenA(text)) + 1;
    return sys.RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), cbData);
}

void CloseKey(HKEY key)
{
    sys.RegCloseKey(key);
}
