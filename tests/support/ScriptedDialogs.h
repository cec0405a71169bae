#pragma once

#include "seams/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Answers every box and dialog from queues filled by the test, and records
// every text shown, in order. A question with nothing queued gets the default
// answer (Yes unless changed); a file dialog with nothing queued is cancelled.
class ScriptedDialogs final : public Dialogs {
public:
    enum class Kind { Information, Question, Number, OpenFile, SaveFile };
    struct Shown {
        Kind kind;
        QString text;    // the message, or the dialog's title
        QString folder;  // file dialogs: the initial folder; number questions: the number offered
        QString filter;  // file dialogs: the filter; number questions: "min-max"
    };

    void information(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    // Takes the next queued number (the offered one when none is queued);
    // a queued cancelNumber() cancels. The offer is recorded in folder.
    bool askNumber(QWidget* parent, const QString& text, int& value, int min, int max) override;
    QString openFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                     const QString& defaultSuffix) override;

    // Scripting.
    void answerYes() { answers_.enqueue(true); }
    void answerNo() { answers_.enqueue(false); }
    void setDefaultAnswer(bool yes) { defaultAnswer_ = yes; }
    void chooseFile(const QString& path) { files_.enqueue(path); }
    void cancelFileDialog() { files_.enqueue(QString()); }
    void answerNumber(int value) { numbers_.enqueue(value); }
    void cancelNumber() { numbers_.enqueue(kCancel); }

    // What was shown.
    const QList<Shown>& shown() const { return shown_; }
    QStringList texts() const;           // every text, all kinds, in order
    QStringList informationTexts() const;
    QStringList questions() const;
    QStringList numberQuestions() const;
    void clear() { shown_.clear(); }
    int pendingAnswers() const { return answers_.size(); }

private:
    QList<Shown> shown_;
    QQueue<bool> answers_;
    QQueue<QString> files_;
    static constexpr int kCancel = -2147483647;
    QQueue<int> numbers_;
    bool defaultAnswer_ = true;
};
