// One Quillarix setup or removal at a time: both programs take the same
// named mutex at start and keep it until they end. Each asks through its
// own call table.
#pragma once
#include "base/product.h"
#include "base/win.h"

// Takes the lock into *lock (closed with CloseHandle by the caller). False,
// with *lock null, when another setup or removal holds it. A lock that the
// system cannot make does not stop the run: *lock is null, and true.
template <typename Calls> bool TakeRunLock(const Calls &calls, HANDLE *lock)
{
    *lock = calls.CreateMutexA(nullptr, FALSE, kRunLockName);
    if (*lock && calls.GetLastError() == ERROR_ALREADY_EXISTS) {
        calls.CloseHandle(*lock);
        *lock = nullptr;
        return false;
    }
    return true;
}
