// Turning the bytes of a registry query into a text, or refusing them.
#include "base/regtext.h"

RegistryTextVerdict TerminateRegistryText(char *buffer, std::size_t cbBuffer, unsigned long type,
                                          std::size_t cbData)
{
    RegistryTextVerdict verdict = RegistryTextVerdict::kText;
    if (type != kRegSz)
        verdict = RegistryTextVerdict::kWrongType;
    else if (cbData > cbBuffer)  // never trust a size beyond what was given
        verdict = RegistryTextVerdict::kTooLong;
    else if (cbData > 0 && buffer[cbData - 1] == '\0')
        return RegistryTextVerdict::kText;  // stored with its zero (maybe several)
    else if (cbData >= cbBuffer)
        verdict = RegistryTextVerdict::kTooLong;  // no room to add the zero
    else {
        buffer[cbData] = '\0';
        return RegistryTextVerdict::kText;
    }
    if (cbBuffer > 0)
        buffer[0] = '\0';
    return verdict;
}
