// The Windows headers, included the same way everywhere.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <bcrypt.h>
#include <lzexpand.h>
#include <ntsecapi.h>
#include <restartmanager.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winternl.h>
#include <winver.h>
