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
// The entries that report success as 0 (NTSTATUS, and the Restart Manager's status): their
// stand-ins report the entry point as missing.
template <typename Fn, long kMissing> struct UnboundReporting;
template <typename R, typename... A, long kMissing> struct UnboundReporting<R(WINAPI *)(A...), kMissing> {
    static R WINAPI Call(A...) { return static_cast<R>(kMissing); }
};
#define QLX_UNBOUND_REPORTS(name, missing)                                                     \
    template <> struct Unbound<decltype(&::name)> : UnboundReporting<decltype(&::name), missing> {}
constexpr long kStatusNotFound = static_cast<long>(0xC0000225L);  // STATUS_NOT_FOUND
QLX_UNBOUND_REPORTS(BCryptGenRandom, kStatusNotFound);
QLX_UNBOUND_REPORTS(NtSetInformationFile, kStatusNotFound);
QLX_UNBOUND_REPORTS(NtCreateFile, kStatusNotFound);
QLX_UNBOUND_REPORTS(RtlNtStatusToDosError, ERROR_PROC_NOT_FOUND);
QLX_UNBOUND_REPORTS(RmStartSession, ERROR_PROC_NOT_FOUND);
QLX_UNBOUND_REPORTS(RmRegisterResources, ERROR_PROC_NOT_FOUND);
QLX_UNBOUND_REPORTS(RmGetList, ERROR_PROC_NOT_FOUND);
QLX_UNBOUND_REPORTS(RmShutdown, ERROR_PROC_NOT_FOUND);
QLX_UNBOUND_REPORTS(RmEndSession, ERROR_PROC_NOT_FOUND);
#undef QLX_UNBOUND_REPORTS
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
