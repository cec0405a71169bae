#pragma once

#include <QObject>
#include <QTimer>

class Editor;

// Start-up as the user sees it: the main window is shown and painted first,
// and the windows that are hidden at start are built right after, on the
// next turn of the event loop. Anything the user does before then (a click,
// a key, closing the window) builds them first, so no handler ever meets a
// window that does not exist yet.
class MainWindowFirst : public QObject {
    Q_OBJECT
public:
    // The editor must have been made with Editor::Windows::MainWindowFirst.
    explicit MainWindowFirst(Editor& editor);
    ~MainWindowFirst() override;

    // Shows the main window; the rest follows by itself.
    void start();
    // Builds the other windows now, if they are not there yet.
    void finish();

Q_SIGNALS:
    // The main window has been painted for the first time.
    void mainWindowShown();
    // Every window exists.
    void ready();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Editor& editor_;
    bool shown_ = false;
    // In case no paint ever comes (a platform that shows nothing).
    QTimer fallback_;
};
