#include "presets/PresetFile.h"

#include "files/RegularFile.h"
#include "link/Hex.h"

#include <QStringDecoder>

namespace {
bool isHexDigit(QChar c)
{
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
}

// At most this many characters of a bad line go into the error text.
constexpr int kShownCharacters = 16;

QString shown(const QString& line)
{
    return line.size() > kShownCharacters ? line.left(kShownCharacters) + QStringLiteral("...") : line;
}
} // namespace

namespace PresetFile {

const QStringList& logLabels()
{
    static const QStringList labels = {
        QStringLiteral("Dry: "),           QStringLiteral("SubMix: "),
        QStringLiteral("Minus1oct: "),     QStringLiteral("Minus2oct: "),
        QStringLiteral("Wave: "),          QStringLiteral("LowPass: "),
        QStringLiteral("HighPass: "),      QStringLiteral("FirstHarmonic: "),
        QStringLiteral("Split: "),         QStringLiteral("Range: "),
        QStringLiteral("input_level: "),   QStringLiteral("Wave2_Pitch: "),
        QStringLiteral("Clip: "),          QStringLiteral("DominantNoteCut: "),
        QStringLiteral("HighNoteCut: "),   QStringLiteral("DryHPF: "),
        QStringLiteral("Limit Range UP: "), QStringLiteral("Noise Gate Status: "),
        QStringLiteral("Noise Gate Threshold: "), QStringLiteral("Attack: "),
    };
    return labels;
}

QStringList valueTexts(const Values& values)
{
    QStringList texts;
    for (uint32_t v : values)
        texts.append(Hex::hex(v, kDigits));
    return texts;
}

QString text(const Values& values)
{
    return valueTexts(values).join(QLatin1Char('\r'));
}

QByteArray bytes(const Values& values)
{
    return QByteArrayLiteral("\xEF\xBB\xBF") + text(values).toUtf8();
}

Parsed parse(const QByteArray& fileBytes)
{
    Parsed result;
    QByteArray body = fileBytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    // One mark is the file's; a second one would be part of line 1, which the
    // decoder must not quietly skip as well.
    if (body.startsWith("\xEF\xBB\xBF")) {
        result.error = QStringLiteral("line 1 begins with a second byte-order mark (EF BB BF): "
                                      "a preset starts with at most one");
        return result;
    }

    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString content = utf8.decode(body);
    if (utf8.hasError()) {
        result.error = QStringLiteral("the file is not a text file");
        return result;
    }
    if (content.isEmpty()) {
        result.error = QStringLiteral("the file is empty");
        return result;
    }

    // One line break at the very end is allowed (editors like to add one).
    if (content.endsWith(QLatin1String("\r\n")))
        content.chop(2);
    else if (content.endsWith(QLatin1Char('\r')) || content.endsWith(QLatin1Char('\n')))
        content.chop(1);

    QStringList lines;
    QString current;
    for (int i = 0; i < content.size(); ++i) {
        const QChar c = content.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(current);
            current.clear();
            if (c == QLatin1Char('\r') && i + 1 < content.size() && content.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            current.append(c);
        }
    }
    lines.append(current);

    for (int k = 0; k < lines.size(); ++k) {
        const QString& line = lines.at(k);
        const QString where = QStringLiteral("line %1").arg(k + 1);
        if (k >= kValueCount) {
            result.error = QStringLiteral("%1 is one too many: a preset holds %2 values").arg(where).arg(kValueCount);
            return result;
        }
        if (line.isEmpty()) {
            result.error = where + QStringLiteral(" is empty");
            return result;
        }
        if (line.size() != kDigits) {
            result.error = QStringLiteral("%1 has %2 characters (\"%3\"), not %4 hexadecimal digits")
                               .arg(where)
                               .arg(line.size())
                               .arg(shown(line))
                               .arg(kDigits);
            return result;
        }
        for (QChar c : line)
            if (!isHexDigit(c)) {
                result.error = QStringLiteral("%1 (\"%2\") is not a hexadecimal number").arg(where, line);
                return result;
            }
    }
    if (lines.size() < kValueCount) {
        result.error = QStringLiteral("the file ends after line %1: a preset holds %2 values")
                           .arg(lines.size())
                           .arg(kValueCount);
        return result;
    }

    for (int k = 0; k < kValueCount; ++k)
        result.values[size_t(k)] = lines.at(k).toUInt(nullptr, 16);
    result.lines = lines;
    result.ok = true;
    return result;
}

Parsed read(const QString& path)
{
    const RegularFile::Read file = RegularFile::read(path, kLargestFileSize);
    Parsed result;
    switch (file.failure) {
    case RegularFile::Failure::None:
        return parse(file.bytes);
    case RegularFile::Failure::NotRegular:
        result.error = RegularFile::notRegularText(path) + QStringLiteral(": choose a preset file saved by the editor");
        break;
    case RegularFile::Failure::TooLarge:
        result.error = (file.size >= 0 ? QStringLiteral("the file holds %1 bytes").arg(file.size)
                                       : QStringLiteral("the file holds more than %1 bytes").arg(kLargestFileSize))
            + QStringLiteral(", more than any preset: a preset is %1 lines of %2 hexadecimal digits (%3 bytes as the "
                             "editor saves it)")
                  .arg(kValueCount)
                  .arg(kDigits)
                  .arg(kFileSize);
        break;
    case RegularFile::Failure::CannotOpen:
    case RegularFile::Failure::ReadError:
        result.error = file.error;
        break;
    }
    return result;
}

} // namespace PresetFile
