// The least a program can be: the cost of running it is the loader's.
#include "windows.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return 0; }
