// A planted ole32.dll: the setup makes its shortcuts with these three.
#include "planted.h"

QLX_PLANTED_WATCHED(HRESULT, CoInitialize, (LPVOID reserved), (reserved))
QLX_PLANTED_WATCHED(void, CoUninitialize, (), ())
QLX_PLANTED_WATCHED(HRESULT, CoCreateInstance,
                    (const void *cls, void *outer, DWORD context, const void *iid, void **out),
                    (cls, outer, context, iid, out))
