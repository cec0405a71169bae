#include "effects/UploadImage.h"

#include "link/Hex.h"

#include <QDir>
#include <QFile>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(QStringLiteral("Cannot read the effect file %1: %2.").arg(shown, file.errorString()));
    const qint64 size = file.size();
    if (size > kLargest)
        return refused(QStringLiteral("The effect file %1 holds %2 bytes; an effect holds at most %3 bytes.")
                           .arg(shown)
                           .arg(size)
                           .arg(kLargest));
    const QByteArray bytes = file.read(kLargest + 1);
    if (file.error() != QFileDevice::NoError)
        return refused(QStringLiteral("Cannot read the effect file %1: %2.").arg(shown, file.errorString()));
    if (bytes.isEmpty())
        return refused(QStringLiteral("The effect file %1 is empty.").arg(shown));
    if (bytes.size() > kLargest)
        return refused(QStringLiteral("The effect file %1 holds more than %2 bytes; an effect holds at most %2 bytes.")
                           .arg(shown)
                           .arg(kLargest));
    Checked c;
    c.ok = true;
    c.bytes = bytes;
    return c;
}

} // namespace UploadImage
