#pragma once

#include "console/KeptLog.h"
#include "seams/Log.h"
#include "session/SessionMode.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class formPrint;
}
class ConsoleToolsHandler;

// The debug console (formPrint): the log of the whole run, shown in Memo1.
// Every line is kept for log.txt (KeptLog); the view is filled in batches so a
// dump of thousands of lines costs one repaint, not one per line.
class PrintConsole : public QWidget, public Log {
    Q_OBJECT
public:
    // log.txt is trimmed at 5 MB on every start anyway.
    static constexpr qsizetype kMaxKeptChars = KeptLog::kDefaultMaxChars;
    // The view holds the newest lines only, and only while it is shown; the
    // kept log has all of them.
    static constexpr int kMaxViewLines = 50000;

    explicit PrintConsole(QWidget* parent = nullptr);
    ~PrintConsole() override;

    Ui::formPrint* ui;

    // Log
    void logLine(const QString& text) override;
    void appendDirect(const QString& text) override;

    // Every kept line, in order.
    QStringList lines() const { return kept_.lines(); }
    // The console text as log.txt receives it: every line followed by CR LF.
    QString text() const { return kept_.text(); }
    const KeptLog& kept() const { return kept_; }
    // Puts the pending lines into the view now (otherwise done on the next event loop turn).
    void flush();

    bool autoScroll() const { return autoScroll_; }
    // Tests lower the bound to see the trimming without filling 64 MiB.
    void setMaxKeptChars(qsizetype chars) { kept_.setMaxChars(chars); }

    // The maintenance tools behind the console's buttons.
    void setTools(ConsoleToolsHandler* tools) { tools_ = tools; }
    ConsoleToolsHandler* tools() const { return tools_; }
    // The buttons that send to the pedal enabled where the session lets
    // their messages through (all of them, for a console that knows no session).
    void showMode(SessionMode mode);

    // Handlers.
    void btnClearClick();
    void btnScrollTopClick();
    void CheckBox1Click();
    void btnEraseEepromClick();
    void btnReadEEPROMClick();
    void btnSendClick();
    void cmbNotePickerChange();
    void edtQChange();
    void edtBoostChange();
    void btnGetNoteFrequencyClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void append(const QString& text, bool scroll);

    KeptLog kept_;
    QStringList pending_;
    bool viewStale_ = false;
    bool pendingScroll_ = false;
    bool autoScroll_ = true;
    QTimer flushTimer_;
    ConsoleToolsHandler* tools_ = nullptr;
};
