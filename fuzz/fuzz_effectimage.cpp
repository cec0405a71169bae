// An effect image's line of hexadecimal text: the upload's check of the image
// and the parameter address table at its start.

#include "FuzzInput.h"

#include "editor/ParameterModel.h"
#include "effects/UploadImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    const QString name = in.field();
    const QString line = in.field();

    const UploadImage::Checked c = UploadImage::fromImageLine(name, line);
    if (c.ok && (c.bytes.isEmpty() || c.bytes.size() > UploadImage::kLargest || !c.error.isEmpty()))
        __builtin_trap();
    if (!c.ok && c.error.isEmpty())
        __builtin_trap();

    AddressTable table{};
    parseAddressTable(line, table);

    ParameterModel model;
    const std::array<uint32_t, kParameterCount> before = model.values();
    QString error;
    if (!readParameterAddresses(QStringList{line, name}, model, &error) && error.isEmpty())
        __builtin_trap();
    if (model.values() != before)
        __builtin_trap();
    return 0;
}
