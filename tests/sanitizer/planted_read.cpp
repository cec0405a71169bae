// A read one byte past a buffer, on purpose: the sanitized build runs this
// first and expects the sanitizer's report. If it ends quietly, the build is
// not instrumented, and a clean run of the suite would prove nothing.

#include <cstdio>
#include <cstring>

namespace {
// Out of line, so the compiler cannot see the read and fold it away.
__attribute__((noinline)) int byteAt(const char* bytes, volatile int index)
{
    return bytes[index];
}
} // namespace

int main(int argc, char**)
{
    char* reply = new char[107];
    std::memset(reply, '0', 107);
    const int past = byteAt(reply, 106 + argc); // argc is 1: index 107
    delete[] reply;
    std::printf("read %d past the end and nothing stopped it\n", past);
    return 0;
}
