// Registry operations. Each returns the status number of its registry call
// (0 on success, else the system error number) and shows nothing.
#pragma once
#include "setup/win.h"

inline constexpr REGSAM kAccessReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Creates every missing key along subkey and opens it with access. On
// success *key belongs to the caller, who closes it with CloseKey.
LONG CreateOrOpenKey(HKEY parent, const char *subkey, REGSAM access, HKEY *key);

// Reads a REG_SZ value into buffer (cbBuffer bytes). On success the buffer
// holds a zero-terminated text: a value stored without its zero is
// terminated when there is room. A value of another type, or one that does
// not fit with its zero, fails with a non-zero status and an empty buffer.
LONG ReadStringValue(HKEY key, const char *name, char *buffer, DWORD cbBuffer);

// Writes text as REG_SZ with its terminating zero. A null name writes the
// key's default value.
LONG WriteStringValue(HKEY key, const char *name, const char *text);

void CloseKey(HKEY key);

// Composes Software\Orvanta\Quillarix\Settings into the setup state.
void ComposeSettingsKeyPath();

// Creates or opens the settings key under HKEY_CURRENT_USER, read and write.
LONG OpenSettingsKey(HKEY *key);

// Records the running setup program's full path as `Installed`. Reports
// code "22" when the settings key cannot be opened. A path that does not fit
// in 260 bytes is not written. Returns true when the value was written.
bool RecordSetupPath();

// Records the install folder as `Path`. Reports code "10" when the settings
// key cannot be opened; true when it could be, whatever became of the write.
bool RecordInstallFolder();
