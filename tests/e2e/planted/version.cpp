// A planted version.dll: the setup reads an installed Quillarix.exe's
// version with these three.
#include "planted.h"

QLX_PLANTED_WATCHED(DWORD, GetFileVersionInfoSizeA, (LPCSTR file, LPDWORD handle), (file, handle))
QLX_PLANTED_WATCHED(BOOL, GetFileVersionInfoA, (LPCSTR file, DWORD handle, DWORD cb, LPVOID data),
                    (file, handle, cb, data))
QLX_PLANTED_WATCHED(BOOL, VerQueryValueA,
                    (LPCVOID block, LPCSTR name, LPVOID *value, PUINT cb), (block, name, value, cb))
