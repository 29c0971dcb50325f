// Holding a folder that an elevated program works in. A check of a folder by name says nothing of
// what the name reaches a moment later: a user who may rename a level above can move the checked
// folder away and put a junction in its place. So the folder is opened once, checked through that
// handle, and the handle is kept while the program works in it: Windows refuses to rename or move a
// folder while a handle is open beneath it, and the handle, opened without FILE_SHARE_DELETE, keeps
// the folder itself in place.
#pragma once
#include "base/sharedcalls.h"

enum class FolderHold { kHeld, kLink, kFailed };

// Opens the existing folder directory (with its trailing backslash where it is a drive root) into
// *held, never through a link at its own name: kHeld, the caller closes *held once done in it.
// kLink (nothing held) when it is a reparse point or its final path is not directory (a link above
// it), cannot be told, or lies on a network share (\\?\UNC\...); kFailed, with *error set, when it
// cannot be opened or is no folder.
FolderHold HoldFolder(const SharedCalls &calls, const char *directory, HANDLE *held, DWORD *error);
