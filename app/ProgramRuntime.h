#pragma once

// What the program adds to the forms runtime, once InitializeRuntime has run and before the first form
// loads: its resources, its three control types, and the translation of the errors raised below the
// forms (the cipher's) into runtime errors of their own number and text. The program's main, the tests
// and the benchmarks call it; calling it again does nothing.
void InitProgramRuntime();
