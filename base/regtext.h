// The system-free part of reading a registry string: deciding whether the
// bytes a query returned form a text that ends with a zero within the
// caller's buffer, and terminating it when there is room.
#pragma once
#include <cstddef>

enum class RegistryTextVerdict { kText, kWrongType, kTooLong };

// buffer holds cbData bytes of a value of the given type (kRegSz for REG_SZ)
// in a buffer of cbBuffer bytes. kText: buffer now holds a zero-terminated
// text. Otherwise buffer is emptied (when it has any room at all).
RegistryTextVerdict TerminateRegistryText(char *buffer, std::size_t cbBuffer, unsigned long type,
                                          std::size_t cbData);

inline constexpr unsigned long kRegSz = 1;
