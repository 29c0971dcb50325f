// Finding payload resources and writing them out, raw or LZ-expanded.
#include "payload/store.h"

#include "base/pathtext.h"
#include "base/product.h"
#include "base/retry.h"
#include "install/report.h"
#include "install/plan.h"
#include "install/syscalls.h"

bool FindPayload(WORD id, PayloadBytes *out)
{
    out->data = nullptr;
    out->cb = 0;
    HMODULE module = ProgramModule();
    HRSRC hrsrc = sys.FindResourceA(module, MAKEINTRESOURCEA(id), "FILE");
    if (!hrsrc)
        return false;
    DWORD cb = sys.SizeofResource(module, hrsrc);
    if (cb == 0)
        return false;
    HGLOBAL hglobal = sys.LoadResource(module, hrsrc);
    if (!hglobal)
        return false;
    const void *data = sys.LockResource(hglobal);
    if (!data)
        return false;
    out->data = data;
    out->cb = cb;
    return true;
}

// Writes bytes to the open file in one call; a write that reports success but wrote less fails.
static bool WriteAll(HANDLE hfile, const PayloadBytes &bytes, DWORD *error)
{
    DWORD cbWritten = 0;
    BOOL wrote = sys.WriteFile(hfile, bytes.data, bytes.cb, &cbWritten, nullptr);
    if (!wrote)
        *error = sys.GetLastError();
    else if (cbWritten != bytes.cb)
        *error = ERROR_DISK_FULL;  // a short write to a disk file: no room for the rest
    return wrote && cbWritten == bytes.cb;
}

// Creates path (replacing a file that is not read-only) and writes bytes.
static bool WriteWholeFile(const char *path, const PayloadBytes &bytes, DWORD *error)
{
    HANDLE hfile = INVALID_HANDLE_VALUE;
    if (!RetryWhileHeld(sys, path, error, [&] {
            hfile = sys.CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            return hfile != INVALID_HANDLE_VALUE;
        }))
        return false;
    bool written = WriteAll(hfile, bytes, error);
    sys.CloseHandle(hfile);
    return written;
}

bool IsReadOnlyFile(const char *path)
{
    DWORD attributes = sys.GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The staging file of folder and the target folder\name; false (with *error set) when either does
// not fit the path text, or when the target is read-only: Windows refuses to rename over such a
// file, and that is known before anything is written (Wine, on Linux files, would let it through).
static bool StagingAndTarget(const char *folder, const char *name, char *staging, char *target,
                             DWORD *error)
{
    if (!JoinPath(staging, kCbPath, folder, kStagingFileName) ||
        !JoinPath(target, kCbPath, folder, name)) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    if (IsReadOnlyFile(target)) {
        *error = ERROR_ACCESS_DENIED;
        return false;
    }
    return true;
}

// Renames the complete staging file over target, then gives the target the read-only attribute if
// asked. A staging file that cannot be renamed is deleted; the old target is then untouched.
static bool CommitStaged(const char *staging, const char *target, bool readOnly, DWORD *error)
{
    if (!RetryWhileHeld(sys, target, error, [&] {
            return sys.MoveFileExA(staging, target,
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        })) {
        sys.DeleteFileA(staging);
        return false;
    }
    if (readOnly && !sys.SetFileAttributesA(target, FILE_ATTRIBUTE_READONLY)) {
        *error = sys.GetLastError();
        return false;
    }
    LogLine({"Wrote ", target});
    return true;
}

// The system error for a failed LZ call that left none of its own.
static DWORD LzError(INT lzResult)
{
    switch (lzResult) {
    case LZERROR_WRITE:
        // The copy's write fell short without a system error: the file system took only part of it,
        // which a disk file does when it is full (seen on Linux file systems under Wine).
        return ERROR_DISK_FULL;
    case LZERROR_READ:
        return ERROR_READ_FAULT;
    case LZERROR_GLOBALLOC:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_INVALID_DATA;
    }
}

// Stages bytes as "data.tmp" in the run's private folder and expands them into destination. The
// staging file is written and expanded through one handle, never reopened by name, and is deleted
// when that handle closes (FILE_FLAG_DELETE_ON_CLOSE: however the run ends). LZOpenFileA is not
// used for the destination: its OFSTRUCT holds only 128 bytes, so it fails on the longer paths that
// the install folder may have; _lcreat takes any path. Every handle opened here is closed again.
static bool ExpandThroughStaging(const PayloadBytes &bytes, const char *workFolder,
                                 const char *destination, DWORD *error)
{
    char data[kCbPath];
    if (workFolder[0] == '\0') {
        *error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (!JoinPath(data, sizeof data, workFolder, kStagingDataName)) {
        *error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    HANDLE staged = sys.CreateFileA(data, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (staged == INVALID_HANDLE_VALUE) {
        *error = sys.GetLastError();
        return false;
    }
    if (!WriteAll(staged, bytes, error)) {
        sys.CloseHandle(staged);
        return false;
    }
    if (sys.SetFilePointer(staged, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        *error = sys.GetLastError();
        sys.CloseHandle(staged);
        return false;
    }
    // LZInit takes a file handle as an HFILE, as _lopen returns one: the value of a Win32 handle
    // fits in 32 bits, on 64-bit Windows too. From here LZClose closes it.
    INT lzSource = sys.LZInit(static_cast<HFILE>(reinterpret_cast<INT_PTR>(staged)));
    if (lzSource < 0) {
        *error = ERROR_INVALID_DATA;
        sys.CloseHandle(staged);  // LZInit leaves the file open when it fails
        return false;
    }
    HFILE hfDestination = HFILE_ERROR;
    if (!RetryWhileHeld(sys, destination, error, [&] {
            return (hfDestination = sys._lcreat(destination, 0)) != HFILE_ERROR;
        })) {
        sys.LZClose(lzSource);
        return false;
    }
    sys.SetLastError(0);
    LONG cbCopied = sys.LZCopy(lzSource, hfDestination);
    if (cbCopied < 0) {
        *error = sys.GetLastError();
        if (*error == 0)
            *error = LzError(cbCopied);
    }
    sys.LZClose(lzSource);
    sys.LZClose(hfDestination);
    return cbCopied >= 0;
}

// Writes resource id as folder\name through folder's staging file: as
// stored, or (with workFolder) expanded through a staging file in that
// private folder. A staging file that was not completed is deleted.
static bool WriteThroughStaging(WORD id, const char *workFolder, const char *folder,
                                const char *name, bool readOnly, DWORD *error)
{
    DWORD ignored = 0;
    if (!error)
        error = &ignored;
    *error = 0;
    char staging[kCbPath], target[kCbPath];
    if (!StagingAndTarget(folder, name, staging, target, error))
        return false;
    PayloadBytes bytes;
    if (!FindPayload(id, &bytes)) {
        *error = ERROR_RESOURCE_NAME_NOT_FOUND;
        return false;
    }
    bool written = workFolder ? ExpandThroughStaging(bytes, workFolder, staging, error)
                          : WriteWholeFile(staging, bytes, error);
    if (!written) {
        sys.DeleteFileA(staging);
        return false;
    }
    return CommitStaged(staging, target, readOnly, error);
}

bool WriteRaw(WORD id, const char *folder, const char *name, bool readOnly, DWORD *error)
{
    return WriteThroughStaging(id, nullptr, folder, name, readOnly, error);
}

bool ExpandPayload(WORD id, const char *workFolder, const char *folder, const char *name,
                   DWORD *error)
{
    return WriteThroughStaging(id, workFolder, folder, name, false, error);
}

bool PayloadInstalledSize(WORD id, DWORD *cb)
{
    PayloadBytes bytes;
    if (!FindPayload(id, &bytes))
        return false;
    // SZDD: "SZDD" 0x88 0xF0 0x27 0x33, mode, last character, then the expanded length (32-bit
    // little-endian); anything else is copied as it is.
    static const unsigned char kSignature[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
    const unsigned char *p = static_cast<const unsigned char *>(bytes.data);
    bool szdd = bytes.cb >= 14;
    for (unsigned i = 0; szdd && i < sizeof kSignature; ++i)
        szdd = p[i] == kSignature[i];
    *cb = szdd ? p[10] | p[11] << 8 | p[12] << 16 | DWORD(p[13]) << 24 : bytes.cb;
    return true;
}

void DeleteInFolder(const char *folder, const char *name)
{
    char path[kCbPath];
    if (!CopyText(path, sizeof path, folder) || !AppendText(path, sizeof path, "\\") ||
        !AppendText(path, sizeof path, name))
        return;
    sys.DeleteFileA(path);
}
