#include "app/MainWindowFirst.h"

#include "app/Editor.h"
#include "app/FormMain.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>

namespace {
constexpr int kFallbackMs = 250;

// Rendering the scalable icon at each size the window system asks for loads
// the SVG renderer; the window is shown first, and the icon joins it a moment
// later.
void giveTheProgramItsIcon()
{
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/quarnel-editor.svg")));
}

bool isUserAction(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::ContextMenu:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}
} // namespace

MainWindowFirst::MainWindowFirst(Editor& editor) : editor_(editor)
{
    fallback_.setSingleShot(true);
    fallback_.setInterval(kFallbackMs);
    connect(&fallback_, &QTimer::timeout, this, &MainWindowFirst::finish);
}

MainWindowFirst::~MainWindowFirst()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void MainWindowFirst::start()
{
    if (editor_.allWindowsCreated()) {
        editor_.formMain->show();
        giveTheProgramItsIcon();
        Q_EMIT ready();
        return;
    }
    QCoreApplication::instance()->installEventFilter(this);
    fallback_.start();
    editor_.formMain->show();
}

void MainWindowFirst::finish()
{
    fallback_.stop();
    if (editor_.allWindowsCreated())
        return;
    giveTheProgramItsIcon();
    editor_.createOtherWindows();
    // The first paint may still be to come (the fallback or a user's action
    // came first); it is still watched for, to say the window was shown.
    if (shown_)
        QCoreApplication::instance()->removeEventFilter(this);
    Q_EMIT ready();
}

bool MainWindowFirst::eventFilter(QObject* watched, QEvent* event)
{
    if (!shown_ && watched == editor_.formMain && event->type() == QEvent::Paint) {
        shown_ = true;
        // After this paint has reached the screen.
        QMetaObject::invokeMethod(this, &MainWindowFirst::mainWindowShown, Qt::QueuedConnection);
        if (editor_.allWindowsCreated())
            QCoreApplication::instance()->removeEventFilter(this);
        else
            QMetaObject::invokeMethod(this, &MainWindowFirst::finish, Qt::QueuedConnection);
    } else if (!editor_.allWindowsCreated() && isUserAction(event->type())) {
        finish();
    }
    return false;
}
