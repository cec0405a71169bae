#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class FunctionsUnit;
class Log;
class QAction;
class QMenu;

// The seven looks of the Look menu: one style sheet for the whole program,
// remembered in style.txt.
class Looks {
public:
    // Menu order of the looks; STYLE_7 exists but has no item.
    static const QStringList& lookNames();

    // refit is run after a look is applied: captions that the new look would
    // cut get smaller fonts.
    Looks(FunctionsUnit& functions, Log& log, std::function<void()> refit);

    void buildLookMenu(QMenu* menu);
    void applySavedLook();
    void menuLookClickItem(int index);
    // Applies "Style_k" to every window; false (and nothing changed) when the
    // program carries no such look.
    bool applyTheme(const QString& themeName);
    QString currentTheme() const { return currentTheme_; }
    const QList<QAction*>& lookItems() const { return lookItems_; }

private:
    FunctionsUnit& functions_;
    Log& log_;
    std::function<void()> refit_;
    QList<QAction*> lookItems_;
    QString currentTheme_;
};
