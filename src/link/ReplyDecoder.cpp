#include "link/ReplyDecoder.h"

#include "link/Hex.h"

namespace ReplyDecoder {

namespace {
constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr int kMaxDigits = 3;

QString describe(char c)
{
    const auto u = static_cast<uint8_t>(c);
    if (u >= 0x20 && u < 0x7F)
        return QStringLiteral("\"%1\"").arg(QLatin1Char(c));
    return QStringLiteral("the byte ") + Hex::hex(u, 2);
}
} // namespace

Result decode(const QByteArray& bytes, int expectedValues)
{
    Result result;
    const int size = static_cast<int>(bytes.size());
    const auto fail = [&](int at, const QString& what) {
        result.state = State::Malformed;
        result.error = QStringLiteral("%1 at byte %2 of the reply, after %3 values").arg(what).arg(at).arg(
            result.values.size());
        return result;
    };

    int previous = 0;
    int j = 0;
    while (result.values.size() < expectedValues) {
        if (!result.values.isEmpty()) {
            if (j == size)
                return result;
            if (bytes.at(j) != kLF)
                return fail(j, describe(bytes.at(j)) + QStringLiteral(" where a line feed belongs"));
            ++j;
        }
        int digits = 0;
        int number = 0;
        for (;;) {
            if (j == size)
                return result;
            const char c = bytes.at(j);
            if (c == kCR)
                break;
            if (c < '0' || c > '9')
                return fail(j, describe(c) + QStringLiteral(" where a digit belongs"));
            if (++digits > kMaxDigits)
                return fail(j, QStringLiteral("a number of more than three digits"));
            number = number * 10 + (c - '0');
            ++j;
        }
        ++j; // the CR
        if (digits > 0)
            previous = number % 256;
        result.values.append(static_cast<char>(previous));
    }
    if (j < size && bytes.at(j) == kLF)
        ++j;
    result.state = State::Whole;
    result.consumed = j;
    return result;
}

} // namespace ReplyDecoder
