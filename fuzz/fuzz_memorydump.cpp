// The memory dump collector fed the read timer's reads: any bytes, in pieces,
// at any times.

#include "FuzzInput.h"

#include "console/MemoryDump.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    MemoryDump dump;
    qint64 now = 1000;
    while (!in.empty()) {
        now += in.byte() * 10;
        const int repeat = in.byte();
        QByteArray piece = in.bytes(size_t(in.byte()) + 1);
        // A long run of one byte lets a small input reach a whole dump.
        if (repeat > 200 && !piece.isEmpty())
            piece += QByteArray((repeat - 200) * 1024, piece.back());
        const auto* bytes = reinterpret_cast<const uint8_t*>(piece.constData());
        if (dump.startsNewDump(bytes, uint32_t(piece.size()), now))
            dump.take();
        dump.feed(bytes, uint32_t(piece.size()), now);
        if (dump.received() > MemoryDump::kMemorySize)
            __builtin_trap();
        if (dump.isWhole() && dump.memory().size() != MemoryDump::kMemorySize)
            __builtin_trap();
        if (dump.timedOut(now) || dump.isWhole()) {
            const QByteArray memory = dump.take();
            if (MemoryDump::isErased(memory) && memory.size() != MemoryDump::kMemorySize)
                __builtin_trap();
        }
    }
    return 0;
}
