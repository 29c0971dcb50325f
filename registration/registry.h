// General registry helpers. Each returns the status number of its registry
// call (0 on success, else the system error number) and shows nothing.
#pragma once
#include "base/registry_read.h"
#include "install/syscalls.h"

// Creates every missing key along subkey and opens it with access. On
// success *key belongs to the caller, who closes it with CloseKey.
LONG CreateOrOpenKey(HKEY parent, const char *subkey, REGSAM access, HKEY *key);

// The writers log each value with where is the key's full name ("HKLM\\SOFTWARE\\...\\Quillarix"):
// an administrator reading the log sees which key, not only which value.

// Writes text as REG_SZ with its terminating zero. A null name writes the key's default value.
LONG WriteStringValue(HKEY key, const char *where, const char *name, const char *text);

LONG WriteDwordValue(HKEY key, const char *where, const char *name, DWORD value);

void CloseKey(HKEY key);
