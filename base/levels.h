// Judging a folder that an elevated program works in, and every level above it, by who may change
// them (base/rights.h). A folder that only administrators can change is not enough: whoever may
// rename a level above can move it away, once nothing holds it, and put a folder of their own in
// its place, which every later start by name (App Paths, shortcuts, a removal) then reaches. On
// Windows a folder made in a drive's root inherits "Authenticated Users: Modify", DELETE included,
// whoever makes it; and FILE_DELETE_CHILD on a parent lets its holder rename what it holds.
#pragma once
#include "base/pathtext.h"
#include "base/rights.h"
#include "base/sharedcalls.h"

// The account that process (an open handle) runs as, read from its token: its TOKEN_USER, which
// points into the same bytes at the SID.
union TokenUserBytes {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
};
bool TokenUserOf(const SharedCalls &calls, HANDLE process, TokenUserBytes *user);

// The SID, as text, of the account this process runs as into sid (cbSid bytes). False when it
// cannot be told.
bool RunnerSid(const SharedCalls &calls, char *sid, std::size_t cbSid);

// Who besides the trusted accounts may change the folder open as held (FolderOpenTo), by its owner
// and DACL read through the handle; kUnreadable where they cannot be read.
OpenTo FolderHeldOpenTo(const SharedCalls &calls, HANDLE held);

// Judges every level above folder, a canonical path without a trailing backslash ("C:\Apps\Q"),
// from its drive's root down to its parent ("C:\", then "C:\Apps"), by LevelOpenTo, each read
// through a handle of its own. The caller holds folder, so that no level can be renamed meanwhile
// (Windows refuses to rename a folder while a handle is open beneath it). Returns the first way
// a level is open, with that level in level (kCbPath bytes); kNobody when every level is
// protected. A level that cannot be opened or read is kUnreadable; with existingOnly,
// one that does not exist is passed over (a first look, before the missing levels are made).
OpenTo LevelsAboveOpenTo(const SharedCalls &calls, const char *folder, char *level,
                         bool existingOnly = false);

// What others may do, as the end of a sentence: "other users may delete or rename it".
const char *OpenToText(OpenTo way);
