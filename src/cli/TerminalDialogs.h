#pragma once

#include "seams/Dialogs.h"

#include <QString>
#include <QStringList>

// The message boxes and file dialogs of the handlers, on a terminal: nobody
// is there to click. A message is kept as one line, for the program to print
// where it belongs (the cause of a failure on standard error, the rest beside
// the command's output). A question is answered Yes: the command typed is the
// user's consent. A file dialog returns the file named on the command line.
namespace Cli {

class TerminalDialogs final : public Dialogs {
public:
    void information(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    // No number can be typed in: cancelled.
    bool askNumber(QWidget* parent, const QString& text, int& value, int min, int max) override;
    QString openFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                     const QString& defaultSuffix) override;

    // What the next file dialog returns; empty cancels it.
    void setChosenFile(const QString& path) { chosenFile_ = path; }
    // A question whose Yes would be unsafe without a person to act on it;
    // it is answered No.
    void answerNo(const QString& question) { unsafe_.append(question); }

    // The messages shown since the last take, each as one line.
    QStringList takeMessages();
    const QStringList& messages() const { return messages_; }
    const QStringList& questions() const { return questions_; }

    // A message box's text as one line: its line breaks become blanks.
    static QString oneLine(const QString& text);

private:
    QStringList messages_;
    QStringList questions_;
    QStringList unsafe_;
    QString chosenFile_;
};

} // namespace Cli
