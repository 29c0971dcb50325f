// General registry helpers: create-or-open, string values, closing.
#include "registration/registry.h"

#include "base/pathtext.h"
#include "install/report.h"

LONG CreateOrOpenKey(HKEY parent, const char *subkey, REGSAM access, HKEY *key)
{
    // The class is an empty text, not a null pointer.
    static char emptyClass[] = "";
    *key = nullptr;
    return sys.RegCreateKeyExA(parent, subkey, 0, emptyClass, REG_OPTION_NON_VOLATILE, access,
                               nullptr, key, nullptr);
}

// Logs a value written, or the status of one that was not, with its key.
static LONG Logged(LONG status, const char *where, const char *name, const char *text)
{
    const char *shown = name ? name : "(default)";
    if (status == ERROR_SUCCESS)
        LogLine({"Registry value ", where, " ", shown, " = ", text});
    else
        LogLine({"Registry value ", where, " ", shown, " not written: system error ",
                 DecimalText(static_cast<unsigned long>(status)).text});
    return status;
}

LONG WriteStringValue(HKEY key, const char *where, const char *name, const char *text)
{
    DWORD cbData = static_cast<DWORD>(sys.lstrlenA(text)) + 1;
    return Logged(
        sys.RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), cbData),
        where, name, text);
}

LONG WriteDwordValue(HKEY key, const char *where, const char *name, DWORD value)
{
    return Logged(sys.RegSetValueExA(key, name, 0, REG_DWORD,
                                     reinterpret_cast<const BYTE *>(&value), sizeof value),
                  where, name, DecimalText(value).text);
}

void CloseKey(HKEY key)
{
    sys.RegCloseKey(key);
}
