// The Windows folder as the system names it. The setup places the uninstaller there; the
// uninstaller recognises its own file there.
#pragma once
#include "base/sharedcalls.h"

// Fills folder (kCbPath bytes) without a trailing backslash. False, with
// folder empty, when the system cannot tell or the name does not fit.
bool ReadWindowsFolder(const SharedCalls &calls, char *folder);
