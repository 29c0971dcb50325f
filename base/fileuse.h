// Whether a file is in use by another process: the setup refuses to replace,
// and the uninstaller to remove, a Quillarix.exe that is running. Each asks
// through its own call table.
#pragma once
#include "base/sharedcalls.h"

enum class FileUse { kAbsent, kPresent, kHeldElsewhere };

// Opens path for reading and writing with no sharing, existing files only,
// and closes it again. Windows' lock on a running program's image refuses
// writing but lets reading through, so only a read-write open sees it (and
// it sees an explicit open by another process too): a sharing violation
// means in use. A read-only file refuses the write access ("access denied"):
// it is there, and not running. Any other failure counts as absent.
FileUse ProbeInUse(const SharedCalls &calls, const char *path);
