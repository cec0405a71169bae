// The pedal's ASCII status reply, decoded for any expected count of values,
// and what a whole one says read into its parts.

#include "FuzzInput.h"

#include "link/ReplyDecoder.h"
#include "status/PedalStatus.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const int expected = in.byte() | (in.byte() << 8);
    const QByteArray bytes = in.rest();
    const ReplyDecoder::Result r = ReplyDecoder::decode(bytes, expected);
    if (r.consumed < 0 || r.consumed > bytes.size())
        __builtin_trap();
    if (r.state == ReplyDecoder::State::Whole && r.values.size() != expected)
        __builtin_trap();
    if (r.state != ReplyDecoder::State::Malformed && !r.error.isEmpty())
        __builtin_trap();
    // Whatever values came, a status is read from them only when they are enough.
    const std::optional<PedalStatus> status = PedalStatus::decode(r.values);
    if (status.has_value() != (r.values.size() >= PedalStatus::kFieldCount))
        __builtin_trap();
    if (status && status->fields.size() != PedalStatus::kFieldCount)
        __builtin_trap();
    return 0;
}
