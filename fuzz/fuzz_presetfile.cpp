// Local preset files as they come from disk: any bytes.

#include "FuzzInput.h"

#include "presets/PresetFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const PresetFile::Parsed p = PresetFile::parse(in.rest());
    if (p.ok) {
        if (!p.error.isEmpty() || p.lines.size() != PresetFile::kValueCount)
            __builtin_trap();
        // What was read is written back the same way.
        const PresetFile::Parsed again = PresetFile::parse(PresetFile::bytes(p.values));
        if (!again.ok || again.values != p.values)
            __builtin_trap();
    } else if (p.error.isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
