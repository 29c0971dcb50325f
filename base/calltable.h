// The pieces of a call table: from a list of X(name) lines, a struct with one
// member per call, named after it and typed as it, and the initialiser that
// fills it with the real functions. The setup and the uninstaller each build
// their own table from these.
#pragma once
#include "base/win.h"

#define QLX_CALL_TABLE_MEMBER(name) decltype(&::name) name;
#define QLX_CALL_TABLE_REAL(name) &::name,

// An entry of a library that is not imported but loaded from the system
// folder at start: until it is bound, it fails as the call fails when it
// finds nothing (0, FALSE or a null pointer).
template <typename Fn> struct Unbound;
template <typename R, typename... A> struct Unbound<R(WINAPI *)(A...)> {
    static R WINAPI Call(A...) { return R{}; }
};
#define QLX_CALL_TABLE_UNBOUND(name) &Unbound<decltype(&::name)>::Call,
