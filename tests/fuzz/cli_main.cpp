// mirtun-convert's main as a function the fuzz target calls.
#define main MirtunConvertMain
#include "cli/main.cpp"
