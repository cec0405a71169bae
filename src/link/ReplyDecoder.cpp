#include "link/ReplyDecoder.h"

#include "link/Hex.h"

namespace ReplyDecoder {

Result decode(const QByteArray& reply)
{
    // The framing is read from the hex text of the bytes: the low digits of
    // 0D (CR) and 0A (LF) delimit the fields, and of each ASCII digit 3x only
    // the x is kept.
    const QString h = Hex::toHex(reply);
    Result result;
    int s = 0;
    int v = 0;
    for (int j = 0; j < h.size(); ++j) {
        const QChar c = h.at(j);
        if (c == QLatin1Char('A')) {
            s = j + 1;
        } else if (c == QLatin1Char('D')) {
            const QString field = h.mid(s, j - s);
            const QString kept = field.left(field.size() - 1);
            QString digits;
            if (kept.size() == 2 || kept.size() == 4 || kept.size() == 6) {
                for (int p = 1; p < kept.size(); p += 2)
                    digits += kept.at(p);
                bool ok = false;
                const int number = digits.toInt(&ok);
                if (!ok) {
                    result.ok = false;
                    result.error = QStringLiteral("the reply holds \"%1\" where a number belongs").arg(digits);
                    return result;
                }
                v = number % 256;
            }
            result.values.append(static_cast<char>(v));
            if (j + 1 < h.size() && h.at(j + 1) == QLatin1Char('A'))
                ++j;
            s = j + 1;
        }
    }
    return result;
}

} // namespace ReplyDecoder
