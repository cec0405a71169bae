#include "update/UpdateVersion.h"

#include <QRegularExpression>
#include <QVersionNumber>

namespace {
// Nine digits keep every number inside an int.
const QRegularExpression& versionPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{1,9}(\\.[0-9]{1,9}){0,3}$"));
    return pattern;
}

bool parse(const QString& text, QVersionNumber* out)
{
    const QString clean = UpdateVersion::cleaned(text);
    if (!versionPattern().match(clean).hasMatch())
        return false;
    *out = QVersionNumber::fromString(clean);
    return !out->isNull();
}
} // namespace

namespace UpdateVersion {

QString cleaned(const QString& text)
{
    return text.trimmed();
}

bool isVersion(const QString& text)
{
    QVersionNumber ignored;
    return parse(text, &ignored);
}

bool isNewer(const QString& candidate, const QString& current)
{
    QVersionNumber later;
    if (!parse(candidate, &later))
        return false;
    QVersionNumber now;
    if (!parse(current, &now))
        return true;
    // Without the trailing zeros, so that 1.2 and 1.2.0 are the same version.
    return QVersionNumber::compare(later.normalized(), now.normalized()) > 0;
}

QString withoutPoints(const QString& version)
{
    return cleaned(version).remove(QLatin1Char('.'));
}

} // namespace UpdateVersion
