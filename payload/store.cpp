// Finding payload resources and writing them out, raw or LZ-expanded.
#include "payload/store.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/state.h"
#include "base/syscalls.h"

bool FindPayload(WORD id, PayloadBytes *out)
{
    out->data = nullptr;
    out->cb = 0;
    HRSRC hrsrc = sys.FindResourceA(g_setup.instance, MAKEINTRESOURCEA(id), "FILE");
    if (!hrsrc)
        return false;
    DWORD cb = sys.SizeofResource(g_setup.instance, hrsrc);
    if (cb == 0)
        return false;
    HGLOBAL hglobal = sys.LoadResource(g_setup.instance, hrsrc);
    if (!hglobal)
        return false;
    const void *data = sys.LockResource(hglobal);
    if (!data)
        return false;
    out->data = data;
    out->cb = cb;
    return true;
}

// Creates path (replacing a file that is not read-only) and writes bytes in
// one call. A write that reports success but wrote less counts as failed.
static bool WriteWholeFile(const char *path, const PayloadBytes &bytes, DWORD attributes,
                           DWORD *error)
{
    HANDLE hfile = sys.CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_FLAG_SEQUENTIAL_SCAN | attributes, nullptr);
    if (hfile == INVALID_HANDLE_VALUE) {
        *error = sys.GetLastError();
        return false;
    }
    DWORD cbWritten = 0;
    BOOL wrote = sys.WriteFile(hfile, bytes.data, bytes.cb, &cbWritten, nullptr);
    if (!wrote)
        *error = sys.GetLastError();
    else if (cbWritten != bytes.cb)
        *error = ERROR_WRITE_FAULT;
    sys.CloseHandle(hfile);
    return wrote && cbWritten == bytes.cb;
}

bool WriteRaw(WORD id, const char *folder, const char *name, bool readOnly, DWORD *error)
{
    DWORD ignored = 0;
    if (!error)
        error = &ignored;
    *error = 0;
    char path[kCbPath];
    if (!JoinPath(path, sizeof path, folder, name)) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    PayloadBytes bytes;
    if (!FindPayload(id, &bytes)) {
        *error = ERROR_RESOURCE_NAME_NOT_FOUND;
        return false;
    }
    return WriteWholeFile(path, bytes, readOnly ? FILE_ATTRIBUTE_READONLY : 0, error);
}

// Expands the file at source into destination. LZOpenFileA is not used: its
// OFSTRUCT holds only 128 bytes, so it fails on the longer paths that the
// install folder may have. _lopen/_lcreat take any path, and LZInit gives
// the same expansion. Every handle opened here is closed before returning.
static bool ExpandFile(const char *source, const char *destination, DWORD *error)
{
    HFILE hfSource = sys._lopen(source, OF_READ);
    if (hfSource == HFILE_ERROR) {
        *error = sys.GetLastError();
        return false;
    }
    INT lzSource = sys.LZInit(hfSource);
    if (lzSource < 0) {
        *error = ERROR_INVALID_DATA;
        sys._lclose(hfSource);  // LZInit leaves the file open when it fails
        return false;
    }
    HFILE hfDestination = sys._lcreat(destination, 0);
    if (hfDestination == HFILE_ERROR) {
        *error = sys.GetLastError();
        sys.LZClose(lzSource);
        return false;
    }
    LONG cbCopied = sys.LZCopy(lzSource, hfDestination);
    if (cbCopied < 0)
        *error = sys.GetLastError();
    sys.LZClose(lzSource);
    sys.LZClose(hfDestination);
    return cbCopied >= 0;
}

bool ExpandPayload(WORD id, const char *folder, const char *name, DWORD *error)
{
    DWORD ignored = 0;
    if (!error)
        error = &ignored;
    *error = 0;
    char staging[kCbPath];
    char destination[kCbPath];
    if (!JoinPath(staging, sizeof staging, g_setup.tempFolder, kStagingDataName) ||
        !JoinPath(destination, sizeof destination, folder, name)) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    PayloadBytes bytes;
    if (!FindPayload(id, &bytes)) {
        *error = ERROR_RESOURCE_NAME_NOT_FOUND;
        return false;
    }
    if (!WriteWholeFile(staging, bytes, 0, error))
        return false;  // a partly written staging file stays until the next staging
    bool expanded = ExpandFile(staging, destination, error);
    DeleteInFolder(g_setup.tempFolder, kStagingDataName);
    return expanded;
}

void DeleteInFolder(const char *folder, const char *name)
{
    char path[kCbPath];
    if (!CopyText(path, sizeof path, folder) || !AppendText(path, sizeof path, "\\") ||
        !AppendText(path, sizeof path, name))
        return;
    sys.DeleteFileA(path);
}
