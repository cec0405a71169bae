#include "app/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
QString caption()
{
    return QStringLiteral("Quarnel Editor");
}

// The handlers know no window: their boxes belong to the window in front,
// which is the one the user just clicked in.
QWidget* owner(QWidget* parent)
{
    return parent ? parent : QApplication::activeWindow();
}
} // namespace

void QtDialogs::information(QWidget* parent, const QString& text)
{
    QMessageBox::information(owner(parent), caption(), text, QMessageBox::Ok);
}

bool QtDialogs::askYesNo(QWidget* parent, const QString& text)
{
    return QMessageBox::question(owner(parent), caption(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes)
        != QMessageBox::No;
}

bool QtDialogs::askNumber(QWidget* parent, const QString& text, int& value, int min, int max)
{
    bool ok = false;
    const int chosen = QInputDialog::getInt(owner(parent), caption(), text, value, min, max, 1, &ok);
    if (ok)
        value = chosen;
    return ok;
}

QString QtDialogs::openFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(owner(parent), title, folder, filter);
}

QString QtDialogs::saveFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                            const QString& defaultSuffix)
{
    QFileDialog dialog(owner(parent), title, folder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}
