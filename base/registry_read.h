// Reading a registry text through a call table, and the access the program opens keys with: shared
// by the setup and the uninstaller, each passing its own table. No call table is named here.
#pragma once
#include "base/sharedcalls.h"

inline constexpr REGSAM kAccessReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Reads a REG_SZ value into buffer (cbBuffer bytes) through calls (a call table). On success the
// buffer holds a zero-terminated text: a value stored without its zero is terminated when there is
// room. A value of another type, or one that does not fit with its zero, fails with a non-zero
// status and an empty buffer. The uninstaller reads through its own table; the setup through
// ReadStringValue (registration/registry.h).
LONG ReadStringValueThrough(const SharedCalls &calls, HKEY key, const char *name, char *buffer,
                            DWORD cbBuffer);
