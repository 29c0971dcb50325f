// Reading a registry text, and the access the programs open keys with.
#pragma once
#include "base/runmode.h"
#include "base/sharedcalls.h"

inline constexpr REGSAM kAccessReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Where an installation of scope is recorded (App Paths, the Uninstall entry): the machine's hive
// for every user's, the person's own for theirs.
inline HKEY RecordsOf(Scope scope)
{
    return scope == Scope::kAllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// Reads the REG_SZ value name (null: the default value) of key, or where subkey is given of that
// key below it, opened for reading and never created, into buffer (cbBuffer bytes). On success the
// buffer holds a zero-terminated text: a value stored without its zero is terminated when there is
// room. A missing key or value, a value of another type, or one that does not fit with its zero,
// fails with a non-zero status and an empty buffer.
LONG ReadRegistryText(const SharedCalls &calls, HKEY key, const char *subkey, const char *name,
                      char *buffer, DWORD cbBuffer);
