#include "effects/CatalogueHandler.h"

#include "app/Editor.h"
#include "app/FormMain.h"
#include "data/DataItems.h"
#include "editor/FXsettings.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"
#include "status/Communication.h"

#include <QListWidget>

CatalogueHandler::CatalogueHandler(Editor& editor) : editor_(editor) {}

QString CatalogueHandler::imageName(const QString& effectName)
{
    QString name = effectName;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    name.replace(QLatin1Char('+'), QStringLiteral("plus"));
    name.replace(QLatin1Char('X'), QStringLiteral("mult"), Qt::CaseSensitive);
    return name;
}

int CatalogueHandler::versionOf(const QString& entryText)
{
    if (entryText.size() < 4)
        return -1;
    bool ok = false;
    const int v = entryText.right(4).toInt(&ok);
    return ok ? v : -1;
}

QStringList CatalogueHandler::splitLines(const QString& text)
{
    // CR LF, LF or CR alone: each ends a line. Plain replacing rather than a
    // regular expression, which would load and compile its engine at start-up.
    QString normal = text;
    normal.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normal.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool CatalogueHandler::loadTextResource(const QString& name)
{
    bool ok = false;
    const QByteArray bytes = DataItems::bytes(name, &ok);
    if (!ok) {
        editor_.dialogs().information(editor_.formMain, QStringLiteral("Error loading resource: ")
                                                            + QStringLiteral("Resource %1 not found").arg(name));
        return false;
    }
    sharedTextList_ = splitLines(QString::fromUtf8(bytes));
    return true;
}

void CatalogueHandler::fill()
{
    QListWidget* list = editor_.formMain->lstEffects();
    list->clear();
    if (loadTextResource(QStringLiteral("octave")))
        list->addItems(sharedTextList_);
}

void CatalogueHandler::computeCatalogueVersion()
{
    QListWidget* list = editor_.formMain->lstEffects();
    catalogueVersion_ = list->count() > 0 ? versionOf(list->item(0)->text()) : -1;
    if (catalogueVersion_ < 0) {
        // No version to hold the pedal against: none of its algorithms is refused.
        editor_.log().logLine(QStringLiteral("the effect catalogue names no algorithm version"));
        catalogueVersion_ = 0;
    }
}

bool CatalogueHandler::selectEntry(int index)
{
    QListWidget* list = editor_.formMain->lstEffects();
    effectKnown_ = index >= 0 && index < list->count();
    if (!effectKnown_) {
        // An entry left selected from before would name an effect the pedal
        // does not run.
        list->setCurrentRow(-1);
        list->clearSelection();
        return false;
    }
    list->setCurrentRow(index);
    return true;
}

void CatalogueHandler::GetResourceFile()
{
    QListWidget* list = editor_.formMain->lstEffects();
    Log& log = editor_.log();
    const int index = list->currentRow();
    log.logLine(QStringLiteral("efx index :") + QString::number(index));
    if (index < 0 || !list->item(index)) {
        log.logLine(QStringLiteral("no effect selected"));
        return;
    }
    selectedEffectName_ = list->item(index)->text();
    effectKnown_ = true;
    log.logLine(QStringLiteral("selected effect name: ") + selectedEffectName_);
    const QString name = imageName(selectedEffectName_);
    log.logLine(QStringLiteral("resource name: ") + name);
    loadTextResource(name);
    log.logLine(QStringLiteral("filecontent (first 128 bytes): ") + loadedImageLine().left(256));
}

void CatalogueHandler::effetto_cliccato()
{
    GetResourceFile();
    Communication& comm = *editor_.comm;
    if (!editor_.session->isLinked()) {
        OpenEffectWindow();
        return;
    }
    bool ok = false;
    const int pedalVersion = comm.algorithmVersion.toInt(&ok);
    if (!ok) {
        editor_.dialogs().information(editor_.formMain,
                                      QStringLiteral("The pedal's algorithm version \"%1\" is not a number. "
                                                     "Click Request to ask the pedal again.")
                                          .arg(comm.algorithmVersion));
        return;
    }
    if (pedalVersion >= catalogueVersion_) {
        OpenEffectWindow();
        return;
    }
    if (editor_.formFXsettings->isVisible())
        editor_.formFXsettings->close();
    editor_.dialogs().information(editor_.formMain, QStringLiteral("Upload the latest version of Quarnel MK3 algorithm:\r\n"
                                                                   "Upload Quarnel MK3 00")
                                                        + QString::number(catalogueVersion_));
    comm.enableCommandButtons(false);
}

void CatalogueHandler::OpenEffectWindow()
{
    FXsettings& fx = *editor_.formFXsettings;
    const FormMain& main = *editor_.formMain;
    if (fx.isVisible())
        fx.close();
    const QRect frame = main.frameGeometry();
    fx.move(frame.x() + frame.width(), frame.y());
    fx.show();
    fx.setWindowTitle(selectedEffectName_);
    fx.enableEffectControls(editor_.session->isLinked());
}

void CatalogueHandler::move_up_or_down(int key)
{
    QListWidget* list = editor_.formMain->lstEffects();
    const int index = list->currentRow();
    if (key == Qt::Key_Up) {
        editor_.log().logLine(QStringLiteral("arrow up pressed"));
        if (index > 0)
            list->setCurrentRow(index - 1);
    } else if (key == Qt::Key_Down) {
        editor_.log().logLine(QStringLiteral("arrow down pressed"));
        if (index < list->count() - 1)
            list->setCurrentRow(index + 1);
    }
}
