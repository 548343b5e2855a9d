#include <cstdio>
int main() { std::puts("ondrel: the handheld is not built yet"); return 0; }
