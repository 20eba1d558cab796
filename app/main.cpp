#include <cstdio>

int main()
{
    std::puts("Gridweaver: the main window is not built yet.");
    return 0;
}
