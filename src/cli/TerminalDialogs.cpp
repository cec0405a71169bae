#include "cli/TerminalDialogs.h"

#include <QRegularExpression>

#include <utility>

namespace Cli {

QString TerminalDialogs::oneLine(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return QString(text).replace(breaks, QStringLiteral(" ")).trimmed();
}

void TerminalDialogs::information(QWidget*, const QString& text)
{
    messages_.append(oneLine(text));
}

bool TerminalDialogs::askYesNo(QWidget*, const QString& text)
{
    questions_.append(text);
    return !unsafe_.contains(text);
}

bool TerminalDialogs::askNumber(QWidget*, const QString& text, int&, int, int)
{
    questions_.append(text);
    return false;
}

QString TerminalDialogs::openFile(QWidget*, const QString&, const QString&, const QString&)
{
    return chosenFile_;
}

QString TerminalDialogs::saveFile(QWidget*, const QString&, const QString&, const QString&, const QString&)
{
    return chosenFile_;
}

QStringList TerminalDialogs::takeMessages()
{
    return std::exchange(messages_, {});
}

} // namespace Cli
