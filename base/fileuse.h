// Whether a file is in use by another process: the setup refuses to replace, and the uninstaller to
// remove, a Quillarix.exe that is running.
#pragma once
#include "base/sharedcalls.h"

enum class FileUse { kAbsent, kPresent, kHeldElsewhere };

// Opens path for reading and writing with no sharing, existing files only, and closes it again.
// Windows' lock on a running program's image refuses writing but lets reading through, so only a
// read-write open sees it (and it sees an explicit open by another process too): a sharing
// violation means in use. "Access denied" (a read-only file, which Windows checks before the
// image's lock, a DACL that denies writing, a file pending deletion) means it is there; whether it
// runs cannot be told. Any other failure counts as absent.
FileUse ProbeInUse(const SharedCalls &calls, const char *path);
