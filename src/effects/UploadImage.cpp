#include "effects/UploadImage.h"

#include "files/RegularFile.h"
#include "link/Hex.h"

#include <QDir>

namespace {
const QString kNothingSent = QStringLiteral(" Nothing was sent to the pedal.");

UploadImage::Checked refused(const QString& error)
{
    UploadImage::Checked c;
    c.error = error + kNothingSent;
    return c;
}
} // namespace

namespace UploadImage {

Checked fromImageLine(const QString& effectName, const QString& line)
{
    if (effectName.isEmpty())
        return refused(QStringLiteral("No effect is selected: click the effect in the list first."));
    if (line.isEmpty())
        return refused(QStringLiteral("No image of %1 is loaded.").arg(effectName));
    if (line.size() % 2 != 0 || line.size() / 2 > kLargest)
        return refused(QStringLiteral("The image of %1 is damaged (%2 digits).").arg(effectName).arg(line.size()));
    QByteArray bytes(line.size() / 2, '\0');
    const int converted = Hex::hexToBytes(line, reinterpret_cast<uint8_t*>(bytes.data()), int(bytes.size()));
    if (converted != bytes.size())
        return refused(QStringLiteral("The image of %1 is damaged (not hexadecimal at byte %2).")
                           .arg(effectName)
                           .arg(converted));
    Checked c;
    c.ok = true;
    c.bytes = bytes;
    return c;
}

Checked fromFile(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const RegularFile::Read file = RegularFile::read(path, kLargest);
    switch (file.failure) {
    case RegularFile::Failure::None:
        break;
    case RegularFile::Failure::NotRegular:
        return refused(RegularFile::notRegularText(path)
                       + QStringLiteral(", so it cannot be sent as an effect. Choose an effect file (.dat)."));
    case RegularFile::Failure::TooLarge:
        if (file.size >= 0)
            return refused(QStringLiteral("The effect file %1 holds %2 bytes; an effect holds at most %3 bytes.")
                               .arg(shown)
                               .arg(file.size)
                               .arg(kLargest));
        return refused(QStringLiteral("The effect file %1 holds more than %2 bytes; an effect holds at most %2 bytes.")
                           .arg(shown)
                           .arg(kLargest));
    case RegularFile::Failure::CannotOpen:
    case RegularFile::Failure::ReadError:
        return refused(QStringLiteral("Cannot read the effect file %1: %2.").arg(shown, file.error));
    }
    if (file.bytes.isEmpty())
        return refused(QStringLiteral("The effect file %1 is empty.").arg(shown));
    Checked c;
    c.ok = true;
    c.bytes = file.bytes;
    return c;
}

} // namespace UploadImage
