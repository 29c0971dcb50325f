// Process entry: the setup reads no command line and always exits with 0.
#include "setup/sequence.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunSetup(instance);
}
