#pragma once

#include <QString>

// Whole-file text reading and writing as the editor's small files need it.
namespace TextFiles {

// Reads the whole file: a byte-order mark sets the encoding; otherwise UTF-8,
// or the system's 8-bit code page when the bytes are not valid UTF-8.
// ok is false when the file cannot be read.
QString read(const QString& path, bool* ok = nullptr);

// Replaces the file with text in UTF-8, no byte-order mark. Returns false and
// fills error when it cannot.
bool write(const QString& path, const QString& text, QString* error = nullptr);

// Appends text to the file (created when missing) in the encoding its
// byte-order mark names, UTF-8 without a mark otherwise.
bool append(const QString& path, const QString& text, QString* error = nullptr);

} // namespace TextFiles
