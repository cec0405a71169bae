#include "link/Hex.h"

namespace {
int digit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}
} // namespace

namespace Hex {

int hexToBytes(const QString& text, uint8_t* dest, int n)
{
    int converted = 0;
    for (int i = 0; i < n; ++i) {
        const int at = 2 * i;
        if (at + 1 >= text.size())
            break;
        const int hi = digit(text.at(at));
        const int lo = digit(text.at(at + 1));
        if (hi < 0 || lo < 0)
            break;
        dest[i] = static_cast<uint8_t>(hi * 16 + lo);
        ++converted;
    }
    return converted;
}

std::optional<QByteArray> hexToByteArray(const QString& text)
{
    const int n = static_cast<int>(text.size() / 2);
    QByteArray out(n, '\0');
    if (hexToBytes(text, reinterpret_cast<uint8_t*>(out.data()), n) != n)
        return std::nullopt;
    return out;
}

QByteArray hexToByteString(const QString& text)
{
    const int n = static_cast<int>(text.size() / 2);
    QByteArray out(n, '\0');
    hexToBytes(text, reinterpret_cast<uint8_t*>(out.data()), n);
    return out;
}

std::optional<uint8_t> hexXorChecksum(const QString& text, int n)
{
    if (n < 0 || text.size() < 2 * n)
        return std::nullopt;
    const auto bytes = hexToByteArray(text.left(2 * n));
    if (!bytes)
        return std::nullopt;
    uint8_t x = 0;
    for (char c : *bytes)
        x ^= static_cast<uint8_t>(c);
    return x;
}

QString toHex(const uint8_t* data, int n)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out(2 * n, Qt::Uninitialized);
    QChar* p = out.data();
    for (int i = 0; i < n; ++i) {
        *p++ = QLatin1Char(digits[data[i] >> 4]);
        *p++ = QLatin1Char(digits[data[i] & 0x0F]);
    }
    return out;
}

QString hex(uint32_t value, int digits)
{
    QString out = QString::number(value, 16).toUpper();
    if (out.size() > digits)
        out = out.right(digits);
    return out.rightJustified(digits, QLatin1Char('0'));
}

} // namespace Hex
