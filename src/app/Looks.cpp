#include "app/Looks.h"

#include "app/FunctionsUnit.h"
#include "data/DataItems.h"
#include "files/RegularFile.h"
#include "files/TextFiles.h"
#include "seams/Log.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

const QStringList& Looks::lookNames()
{
    static const QStringList names = {QStringLiteral("RED"),        QStringLiteral("YELLOW"),
                                      QStringLiteral("GRAY"),       QStringLiteral("BLUE"),
                                      QStringLiteral("LIGHT GRAY"), QStringLiteral("LIGHT GRAY 2"),
                                      QStringLiteral("WHITE")};
    return names;
}

Looks::Looks(FunctionsUnit& functions, Log& log, std::function<void()> refit)
    : functions_(functions), log_(log), refit_(std::move(refit))
{
}

void Looks::buildLookMenu(QMenu* menu)
{
    for (int k = 0; k < lookNames().size(); ++k) {
        QAction* item = menu->addAction(lookNames().at(k));
        item->setObjectName(QStringLiteral("menuLook%1").arg(k));
        QObject::connect(item, &QAction::triggered, menu, [this, item] {
            menuLookClickItem(static_cast<int>(lookItems_.indexOf(item)));
        });
        lookItems_.append(item);
    }
}

void Looks::applySavedLook()
{
    const QString path = functions_.styleFilePath();
    if (!QFileInfo::exists(path)) {
        applyTheme(QStringLiteral("Style_0"));
        return;
    }
    // A hand-edited or damaged file must not stop the start: anything but a
    // plain number of a look we carry gives the default look, and the file
    // stays as the user left it. A pipe or a device in its place is not even
    // opened: reading one could wait for ever.
    if (RegularFile::existsButIsNotRegular(path)) {
        log_.logLine(QStringLiteral("look file ignored: ") + RegularFile::notRegularText(path));
        applyTheme(QStringLiteral("Style_0"));
        return;
    }
    const QString text = TextFiles::read(path, FunctionsUnit::kLargestSettingFile).trimmed();
    const bool plainNumber = !text.isEmpty() && text.size() <= 9
                             && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!plainNumber || !applyTheme(QStringLiteral("Style_") + QString::number(text.toInt())))
        applyTheme(QStringLiteral("Style_0"));
}

void Looks::menuLookClickItem(int index)
{
    const int k = index < 0 ? 0 : index;
    applyTheme(QStringLiteral("Style_") + QString::number(k));
    TextFiles::write(functions_.styleFilePath(), QString::number(k));
}

bool Looks::applyTheme(const QString& themeName)
{
    bool ok = false;
    const QByteArray sheet = DataItems::bytes(themeName, &ok);
    if (!ok)
        return false;
    qApp->setStyleSheet(QString::fromUtf8(sheet));
    currentTheme_ = themeName;
    if (refit_)
        refit_();
    return true;
}
