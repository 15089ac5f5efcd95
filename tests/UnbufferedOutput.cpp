// Test programs write their output unbuffered: a program that dies (a crash,
// an abort, a process killed by its time-out) still shows how far it got,
// where a full buffer into CTest's pipe would be lost with it.
#include <cstdio>

namespace {

struct UnbufferedOutput {
    UnbufferedOutput() { std::setvbuf(stdout, nullptr, _IONBF, 0); }
} unbufferedOutput;

} // namespace
