// Reading a registry text, and the access the programs open keys with.
#pragma once
#include "base/sharedcalls.h"

inline constexpr REGSAM kAccessReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Reads a REG_SZ value into buffer (cbBuffer bytes). On success the buffer holds a zero-terminated
// text: a value stored without its zero is terminated when there is room. A value of another type,
// or one that does not fit with its zero, fails with a non-zero status and an empty buffer. The
// setup reads through ReadStringValue (registration/registry.h).
LONG ReadStringValueThrough(const SharedCalls &calls, HKEY key, const char *name, char *buffer,
                            DWORD cbBuffer);
