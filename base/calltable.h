// The pieces of a call table: from a list of X(name) lines, a struct with one member per call,
// named after it and typed as it, and the initialiser that fills it with the real functions. The
// setup and the uninstaller each build their own table from these.
#pragma once
#include "base/win.h"

#include <cstddef>

#define QLX_CALL_TABLE_MEMBER(name) decltype(&::name) name;
#define QLX_CALL_TABLE_REAL(name) &::name,

// An entry of a library that is not imported but loaded from the system folder at start: until it
// is bound, it fails as the call fails when it finds nothing (0, FALSE or a null pointer).
template <typename Fn> struct Unbound;
template <typename R, typename... A> struct Unbound<R(WINAPI *)(A...)> {
    static R WINAPI Call(A...) { return R{}; }
};
// BCryptGenRandom reports success as 0: its stand-in says "not found".
template <> struct Unbound<decltype(&::BCryptGenRandom)> {
    static NTSTATUS WINAPI Call(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG)
    {
        return static_cast<NTSTATUS>(0xC0000225L);  // STATUS_NOT_FOUND
    }
};
// The Restart Manager reports success as 0 too: its stand-ins say that the
// entry is missing.
template <typename R, typename... A> struct UnboundWithStatus {
    static R WINAPI Call(A...) { return ERROR_PROC_NOT_FOUND; }
};
template <typename Fn> struct UnboundRm;
template <typename R, typename... A> struct UnboundRm<R(WINAPI *)(A...)> : UnboundWithStatus<R, A...> {};
template <> struct Unbound<decltype(&::RmStartSession)> : UnboundRm<decltype(&::RmStartSession)> {};
template <> struct Unbound<decltype(&::RmRegisterResources)>
    : UnboundRm<decltype(&::RmRegisterResources)> {};
template <> struct Unbound<decltype(&::RmGetList)> : UnboundRm<decltype(&::RmGetList)> {};
template <> struct Unbound<decltype(&::RmShutdown)> : UnboundRm<decltype(&::RmShutdown)> {};
template <> struct Unbound<decltype(&::RmEndSession)> : UnboundRm<decltype(&::RmEndSession)> {};
#define QLX_CALL_TABLE_UNBOUND(name) &Unbound<decltype(&::name)>::Call,

// Binds every LATE entry of LIST (a call table's X/LATE list) in table and in real, its saved copy
// of the real functions, to the modules in late: the one binding code of both programs' tables.
#define QLX_CALL_TABLE_SKIP(name)
#define QLX_CALL_TABLE_BIND_LATE(LIST, table, real, late)                                     \
    do {                                                                                       \
        auto &qlx_table = table;                                                               \
        auto &qlx_real = real;                                                                 \
        const auto &qlx_late = late;                                                           \
        LIST(QLX_CALL_TABLE_SKIP, QLX_CALL_TABLE_BIND_ONE)                                     \
    } while (0)
#define QLX_CALL_TABLE_BIND_ONE(name)                                                          \
    BindLateEntry(qlx_table.GetProcAddress, qlx_late, #name, &qlx_real.name);                  \
    qlx_table.name = qlx_real.name;

// Binds *entry to name in the first of modules (null ones skipped) that
// exports it, or to its failing stand-in.
template <typename Fn, std::size_t N>
void BindLateEntry(FARPROC(WINAPI *getProcAddress)(HMODULE, LPCSTR), HMODULE const (&modules)[N],
                   const char *name, Fn *entry)
{
    *entry = &Unbound<Fn>::Call;
    for (HMODULE module : modules) {
        FARPROC found = module ? getProcAddress(module, name) : nullptr;
        if (found) {
            *entry = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
            return;
        }
    }
}
