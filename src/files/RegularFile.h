#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QtGlobal>

// Reading and replacing the editor's own small files (presets, effect files,
// the settings files, the look file) when the name the user or the files folder
// gives may not be a file at all. A named pipe blocks the opening until some
// other program writes to it, and a device such as /dev/zero never ends, so
// anything that is not a regular file is refused before it is opened, and a
// read takes at most one byte more than the caller can use. Plain code.
namespace RegularFile {

enum class Failure {
    None,
    NotRegular, // a folder, a device, a pipe or a socket
    CannotOpen, // missing, no access: error holds the system's reason
    TooLarge,   // more bytes than the caller takes
    ReadError,  // error holds the system's reason
};

struct Read {
    Failure failure = Failure::None;
    QByteArray bytes;
    QString error;     // the system's reason, for CannotOpen and ReadError
    qint64 size = -1;  // TooLarge: the size the file system gives, or -1 when only the read found out
    bool ok() const { return failure == Failure::None; }
};

// True when the path names something that exists and is not a regular file
// (links are followed).
bool existsButIsNotRegular(const QString& path);

// Reads the file from its start, at most largest bytes; a file with more is
// refused as TooLarge.
Read read(const QString& path, qint64 largest);

// Replaces the file with the bytes (creating it when missing), all at once:
// when the write fails the old file stays as it was. A path that names
// something other than a regular file is refused without opening it.
// Returns false and fills error (the reason, as a phrase) when it cannot.
bool write(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// The phrase for NotRegular, naming the path: "... is not a regular file ...".
QString notRegularText(const QString& path);

// Why an unbuffered write of wanted bytes returned written: the system's
// reason, or the count where it gave none (a full disk or a size limit cuts a
// write short without an error).
QString shortWriteText(const QFileDevice& file, qint64 written, qint64 wanted);

} // namespace RegularFile
