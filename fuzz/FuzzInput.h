#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <cstdint>

// Takes a fuzzer's input apart: a few leading bytes for choices, the rest as
// bytes or as text split into fields.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return pos_ >= size_; }
    uint8_t byte()
    {
        return pos_ < size_ ? data_[pos_++] : 0;
    }
    // At most n bytes.
    QByteArray bytes(size_t n)
    {
        const size_t take = n < size_ - pos_ ? n : size_ - pos_;
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<int>(take));
        pos_ += take;
        return out;
    }
    QByteArray rest() { return bytes(size_ - pos_); }
    // Text up to the next NUL (or the end), read as UTF-8 as the editor reads files.
    QString field()
    {
        size_t end = pos_;
        while (end < size_ && data_[end] != 0)
            ++end;
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data_ + pos_), static_cast<int>(end - pos_));
        pos_ = end < size_ ? end + 1 : end;
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// Units that let window events run inside their waits need an application
// object, as in the editor.
inline void fuzzApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}
