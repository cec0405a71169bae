#include "data/Placeholders.h"

#include "data/PlaceholderMark.h"

namespace Placeholders {

bool isPlaceholder(const QByteArray& image)
{
    return image.contains(QByteArray::fromRawData(PlaceholderMark::kText, PlaceholderMark::kSize));
}

QString refusal(Kind kind, Source source, const QString& name)
{
    const bool firmware = kind == Kind::Firmware;
    const QString what = firmware ? QStringLiteral("firmware") : QStringLiteral("effect");
    const QString which = source == Source::Embedded
                              ? QStringLiteral("This build of the editor holds no real %1 images: %2 is a placeholder")
                                    .arg(what, name)
                              : QStringLiteral("The file %1 is a placeholder %2 image").arg(name, what);
    const QString harm = firmware ? QStringLiteral("it would leave a real pedal without a working firmware")
                                  : QStringLiteral("a real pedal would play random data as its audio algorithm");
    const QString openReal = firmware
                                 ? QStringLiteral("or open the maker's firmware file here with Ctrl+Shift+O")
                                 : QStringLiteral("or send the maker's effect file with Load Effect From File");
    return QStringLiteral("%1, made only for trying the editor with its virtual pedal, and %2. "
                          "Nothing was sent to the pedal.\r\n\r\n"
                          "To get the real images, build the editor with QUARNEL_IMAGES_DIR set to a folder "
                          "holding the pedal maker's images, %3.")
        .arg(which, harm, openReal);
}

} // namespace Placeholders
