// Whether a file is in use by another process: the setup refuses to replace, and the uninstaller to
// remove, a Quillarix.exe that is running; one that another program only holds open is replaced or
// removed when Windows restarts.
#pragma once
#include "base/sharedcalls.h"

enum class FileUse { kAbsent, kPresent, kRunning, kHeldElsewhere };

// Opens path for reading and writing with no sharing, existing files only, and closes it again.
// Windows' lock on a running program's image refuses writing but lets reading through, so only a
// read-write open sees it (and it sees an explicit open by another process too): a sharing
// violation means in use, and in use by a running copy where a process runs from path. Any other
// holder (a virus scanner looking at a fresh file, a user's reader) may let go within moments: the
// open is retried while it holds (RetryWhileHeld), and only a hold that lasts is kHeldElsewhere.
// "Access denied" (a read-only file, which Windows checks before the image's lock, a DACL that
// denies writing, a file pending deletion) means it is there; whether it runs cannot be told. Any
// other failure counts as absent.
FileUse ProbeInUse(const SharedCalls &calls, const char *path);
