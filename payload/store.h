// Payload store: installed files travel as resources of type "FILE" with a numeric id, and become
// files either as stored (write raw) or expanded from SZDD through a staging file "data.tmp" in the
// run's private folder. Either way a file is written whole or not at all: into the staging file
// "qlxnew.tmp" of its own folder first, renamed over its target only when complete. A reader, a
// crash or a full disk sees the old file or the new one. When a writer below fails, the target is
// as it was, no staging file is left, and *error (if given) receives the failing call's error.
#pragma once
#include "base/win.h"

struct PayloadBytes {
    const void *data;
    DWORD cb;
};

// Finds resource "FILE" #id in the setup's own module. Missing, empty or
// unloadable resources give false. The bytes stay valid for the process.
bool FindPayload(WORD id, PayloadBytes *out);

// Writes the resource's bytes to folder\name, replacing an existing file unless that file is
// read-only; readOnly gives the complete file that attribute (where only that fails, the file is
// complete without it). Fails without writing when the path does not fit in the path text.
bool WriteRaw(WORD id, const char *folder, const char *name, bool readOnly, DWORD *error = nullptr);

// Stages the resource in the run's private workFolder, expands it with the platform's LZ expansion
// (plain data is copied unchanged) into folder's staging file and renames that over folder\name,
// for any path that fits the path text.
bool ExpandPayload(WORD id, const char *workFolder, const char *folder, const char *name,
                   DWORD *error = nullptr);

// True when path names a file (not a folder) with the read-only attribute.
bool IsReadOnlyFile(const char *path);

// The size of the file that resource id becomes: the expanded length an
// SZDD header states, else the resource's own size. False when missing.
bool PayloadInstalledSize(WORD id, DWORD *cb);

// Deletes folder + "\" + name, the backslash added even when the folder ends
// in one. Nothing is deleted when that path does not fit.
void DeleteInFolder(const char *folder, const char *name);
