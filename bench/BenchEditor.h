#pragma once

#include <random>
#include <string>

#include "ZelmcircuitScene.h"

// The real editor layer on the headless driver, for benchmarks: a fresh
// writable folder, the application's design size, one frame run. A first
// launch opens the help pager over the editor; a returning one does not.
ZelmcircuitScene* startHeadlessEditor(const char* benchName, bool returning = false);
// The same in the writable folder given, which must exist.
ZelmcircuitScene* startHeadlessEditorIn(const std::string& home, const char* benchName, bool returning = false);

// Adds count parts of random types and turns at random places, keeping the
// band 620 < y < 880 free, so a part dragged along y = 750 meets no end.
void strewParts(ZelmcircuitScene* editor, int count, std::mt19937& random);

// Microseconds per call of step(i) over `calls` calls.
template <class Step>
double microsecondsPerCall(int calls, Step&& step);

#include <chrono>

template <class Step>
double microsecondsPerCall(int calls, Step&& step)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) step(i);
    const auto end = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(end - start).count() / calls;
}
