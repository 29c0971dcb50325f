// The pieces of a call table: from a list of X(name) lines, a struct with one
// member per call, named after it and typed as it, and the initialiser that
// fills it with the real functions. The setup and the uninstaller each build
// their own table from these.
#pragma once

#define QLX_CALL_TABLE_MEMBER(name) decltype(&::name) name;
#define QLX_CALL_TABLE_REAL(name) &::name,
