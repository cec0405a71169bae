#pragma once

#include <QString>

class QWidget;

// Every message box and file dialog the editor shows goes through here, so
// tests can answer them in order and read back every text that was shown.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // An information box with OK.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // A Yes/No question; only the answer No cancels, so true means "go on".
    virtual bool askYesNo(QWidget* parent, const QString& text) = 0;
    // A whole number from min to max, offered as value and returned in it;
    // false when the user cancelled.
    virtual bool askNumber(QWidget* parent, const QString& text, int& value, int min, int max) = 0;
    // File dialogs; an empty result means the user cancelled. The save dialog
    // does not ask about replacing an existing file: the caller may still
    // change the name it returns, so the caller asks about the file it writes.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter) = 0;
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter, const QString& defaultSuffix) = 0;
};
