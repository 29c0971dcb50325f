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
// it), cannot be told, or lies on a network share (\\?\UNC\...) unless network allows that (a
// log's folder: a deployment may log to a share); kFailed, with *error set, when it cannot be
// opened or is no folder.
FolderHold HoldFolder(const SharedCalls &calls, const char *directory, HANDLE *held, DWORD *error,
                      bool network = false);

// Makes the folder path (a full path) with the security descriptor sddl and opens it in the same
// call, so that it is held from the moment it is made (NtCreateFile with FILE_CREATE, which fails
// where the name exists, with ERROR_ALREADY_EXISTS), also for deleting it through the handle once
// done; then checked as HoldFolder checks (one refused so is deleted again). kFailed with *error
// the system error.
FolderHold MakeHeldFolder(const SharedCalls &calls, const char *path, const char *sddl, HANDLE *held,
                          DWORD *error);
