// Version texts as the maker's server sends them.

#include "FuzzInput.h"

#include "update/UpdateVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QString a = in.field();
    const QString b = in.field();
    const QString ca = UpdateVersion::cleaned(a);
    UpdateVersion::isVersion(ca);
    UpdateVersion::withoutPoints(ca);
    // Newer is a strict order: never both ways, never against itself.
    const bool ab = UpdateVersion::isNewer(a, b);
    const bool ba = UpdateVersion::isNewer(b, a);
    if ((ab && ba) || UpdateVersion::isNewer(a, a))
        __builtin_trap();
    return 0;
}
