#include "files/TextFiles.h"

#include "files/RegularFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {
std::optional<QStringConverter::Encoding> bomEncoding(const QByteArray& head)
{
    return QStringConverter::encodingForData(head);
}
} // namespace

namespace TextFiles {

QString read(const QString& path, qint64 largest, bool* ok)
{
    const RegularFile::Read file = RegularFile::read(path, largest);
    if (ok)
        *ok = file.ok();
    if (!file.ok())
        return QString();
    const QByteArray& bytes = file.bytes;
    if (const auto encoding = bomEncoding(bytes.left(4))) {
        QStringDecoder decoder(*encoding); // skips the mark itself
        return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLocal8Bit(bytes);
}

bool write(const QString& path, const QString& text, QString* error)
{
    return RegularFile::write(path, text.toUtf8(), error);
}

bool append(const QString& path, const QString& text, QString* error)
{
    if (RegularFile::existsButIsNotRegular(path)) {
        if (error)
            *error = RegularFile::notRegularText(path);
        return false;
    }
    QFile file(path);
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (file.open(QIODevice::ReadOnly)) {
        if (const auto named = bomEncoding(file.read(4)))
            encoding = *named;
        file.close();
    }
    // Unbuffered, so that a disk that fills up is seen here and not lost in
    // the flush of the close.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QStringEncoder encoder(encoding, QStringEncoder::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        if (error)
            *error = RegularFile::shortWriteText(file, written, bytes.size());
        return false;
    }
    return true;
}

} // namespace TextFiles
