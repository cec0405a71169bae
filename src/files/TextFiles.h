#pragma once

#include <QString>
#include <QtGlobal>

// Whole-file text reading and writing as the editor's small files need it.
// Anything that is not a regular file (a pipe, a device, a folder) is refused
// before it is opened, so a settings file can never hold up the start.
namespace TextFiles {

// Reads the whole file: a byte-order mark sets the encoding; otherwise UTF-8,
// or the system's 8-bit code page when the bytes are not valid UTF-8.
// ok is false, and the text empty, when the file cannot be read, is not a
// regular file or holds more than largest bytes.
QString read(const QString& path, qint64 largest, bool* ok = nullptr);

// Replaces the file with text in UTF-8, no byte-order mark. Returns false and
// fills error when it cannot.
bool write(const QString& path, const QString& text, QString* error = nullptr);

// Appends text to the file (created when missing) in the encoding its
// byte-order mark names, UTF-8 without a mark otherwise.
bool append(const QString& path, const QString& text, QString* error = nullptr);

} // namespace TextFiles
