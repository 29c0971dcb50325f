// The setup state's one definition.
#include "base/state.h"

#include <cstring>

SetupState g_setup;

void ResetSetupState(HINSTANCE instance)
{
    std::memset(&g_setup, 0, sizeof g_setup);
    g_setup.instance = instance;
}
