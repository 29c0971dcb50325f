// Exits with its own pointer width in bits. The test rig runs the i686
// build at its start: exit code 32 shows that this machine runs 32-bit
// Windows programs; anything else, that the i686 runtime tests cannot run.
int main()
{
    return static_cast<int>(sizeof(void *) * 8);
}
