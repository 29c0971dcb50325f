// A stand-in for an installed Quillarix.exe of a given version; the tests
// only read its version resource.
int main()
{
    return 0;
}
