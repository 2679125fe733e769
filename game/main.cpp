// Entry point of the game. Until the application object stands, it only reports that nothing runs yet.
#include <cstdio>

int main()
{
    std::fprintf(stderr, "ilvane-cafe: the application object is not built yet\n");
    return 1;
}
