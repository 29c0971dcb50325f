// Payload store: installed files travel as resources of type "FILE" with a
// numeric id, and become files either as stored (write raw) or expanded from
// SZDD through a staging file "data.tmp" in the temp folder.
#pragma once
#include "base/win.h"

struct PayloadBytes {
    const void *data;
    DWORD cb;
};

// Finds resource "FILE" #id in the setup's own module. Missing, empty or
// unloadable resources give false. The bytes stay valid for the process.
bool FindPayload(WORD id, PayloadBytes *out);

// Writes the resource's bytes to folder\name, replacing an existing file
// unless that file is read-only; readOnly gives the new file that attribute.
// Fails without writing when the path does not fit in the path text. On
// failure *error (if given) receives the system error of the failing call.
bool WriteRaw(WORD id, const char *folder, const char *name, bool readOnly,
              DWORD *error = nullptr);

// Stages the resource in the temp folder's "data.tmp", expands it with the
// platform's LZ expansion into folder\name (plain data is copied unchanged),
// then deletes the staging file. Works for every destination path that fits
// the 260-byte path text. On failure *error (if given) receives the system
// error of the failing call (0 when the system gave none).
bool ExpandPayload(WORD id, const char *folder, const char *name, DWORD *error = nullptr);

// Deletes folder + "\" + name, the backslash added even when the folder ends
// in one. Nothing is deleted when that path does not fit.
void DeleteInFolder(const char *folder, const char *name);
