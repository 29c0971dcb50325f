// The pieces of a call table: from a list of X(name) lines, a struct with one member per call,
// named after it and typed as it, and the initialiser that fills it with the real functions. The
// setup and the uninstaller each build their own table from these.
#pragma once
#include "base/win.h"

#include <cstddef>

#define QLX_CALL_TABLE_MEMBER(name) decltype(&::name) name;
#define QLX_CALL_TABLE_LATE_MEMBER(library, name) decltype(&::name) name;
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
#define QLX_CALL_TABLE_UNBOUND(library, name) &Unbound<decltype(&::name)>::Call,

// Defines the call table `table` of type Type, which LIST lists (X(name) for a call of an imported
// system library, LATE(library, name) for one of a library loaded from the system folder at start),
// filled with the real functions before any code runs (constinit: the setup is linked without the
// C runtime's start-up), and a saved copy of them; Bind(), which restricts the library search and
// binds every LATE entry to its library (each loaded once, by its full path in the system folder,
// and kept), or to its failing stand-in where the library or the entry point is missing; and
// Restore(), which puts every entry back as bound. Where it is expanded, base/libraries.h is in.
#define QLX_DEFINE_CALL_TABLE(Type, LIST, table, Bind, Restore)                                \
    constinit static Type qlx_real_##table = {LIST(QLX_CALL_TABLE_REAL, QLX_CALL_TABLE_UNBOUND)}; \
    constinit Type table = {LIST(QLX_CALL_TABLE_REAL, QLX_CALL_TABLE_UNBOUND)};                 \
    void Bind()                                                                                 \
    {                                                                                           \
        Type &qlx_table = table;                                                                \
        Type &qlx_real = qlx_real_##table;                                                      \
        RestrictLibrarySearch(qlx_table);                                                       \
        LateLibraries qlx_late = {};                                                            \
        LIST(QLX_CALL_TABLE_SKIP, QLX_CALL_TABLE_BIND_ONE)                                      \
    }                                                                                           \
    void Restore()                                                                              \
    {                                                                                           \
        table = qlx_real_##table;                                                               \
    }
#define QLX_CALL_TABLE_SKIP(name)
#define QLX_CALL_TABLE_BIND_ONE(library, name)                                                  \
    qlx_real.name = LateEntry<decltype(&::name)>(                                               \
        qlx_table, LateLibrary(qlx_table, &qlx_late, #library ".dll"), #name);                  \
    qlx_table.name = qlx_real.name;
