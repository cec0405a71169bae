#include "effects/CatalogueHandler.h"

#include "data/DataItems.h"
#include "editor/EffectView.h"
#include "editor/ParameterModel.h"
#include "effects/CatalogueView.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "session/PedalSession.h"

CatalogueHandler::CatalogueHandler(PedalSession& session, Log& log, Dialogs& dialogs)
    : session_(session), log_(log), dialogs_(dialogs)
{
}

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
        dialogs_.information(nullptr, QStringLiteral("Error loading resource: ")
                                          + QStringLiteral("Resource %1 not found").arg(name));
        return false;
    }
    sharedTextList_ = splitLines(QString::fromUtf8(bytes));
    return true;
}

void CatalogueHandler::fill()
{
    setEntries(loadTextResource(QStringLiteral("octave")) ? sharedTextList_ : QStringList());
}

void CatalogueHandler::setEntries(const QStringList& entries)
{
    entries_ = entries;
    if (selectedRow_ >= entries_.size())
        selectedRow_ = -1;
    if (view_)
        view_->showEntries(entries_);
}

void CatalogueHandler::computeCatalogueVersion()
{
    catalogueVersion_ = entries_.isEmpty() ? -1 : versionOf(entries_.first());
    if (catalogueVersion_ < 0) {
        // No version to hold the pedal against: none of its algorithms is refused.
        log_.logLine(QStringLiteral("the effect catalogue names no algorithm version"));
        catalogueVersion_ = 0;
    }
}

bool CatalogueHandler::selectEntry(int index)
{
    effectKnown_ = index >= 0 && index < entries_.size();
    selectedRow_ = effectKnown_ ? index : -1;
    // An entry left selected from before would name an effect the pedal does
    // not run.
    if (view_)
        view_->showSelectedEntry(selectedRow_);
    return effectKnown_;
}

void CatalogueHandler::GetResourceFile()
{
    const int index = selectedRow_;
    log_.logLine(QStringLiteral("efx index :") + QString::number(index));
    if (index < 0 || index >= entries_.size()) {
        log_.logLine(QStringLiteral("no effect selected"));
        return;
    }
    selectedEffectName_ = entries_.at(index);
    effectKnown_ = true;
    log_.logLine(QStringLiteral("selected effect name: ") + selectedEffectName_);
    const QString name = imageName(selectedEffectName_);
    log_.logLine(QStringLiteral("resource name: ") + name);
    const bool loaded = loadTextResource(name);
    log_.logLine(QStringLiteral("filecontent (first 128 bytes): ") + loadedImageLine().left(256));
    readAddressTable(name, loaded);
}

void CatalogueHandler::readAddressTable(const QString& name, bool loaded)
{
    // A failed load has already told the user; the addresses then stay those
    // of the last image that read, and without one nothing is sent.
    if (!loaded) {
        addressTableBroken_ = !addressesRead_;
        return;
    }
    QString error;
    if (name == addressesOf_) {
        addressTableBroken_ = false;
        return;
    }
    if (readParameterAddresses(sharedTextList_, session_.parameters(), &error)) {
        addressesRead_ = true;
        addressTableBroken_ = false;
        addressesOf_ = name;
        return;
    }
    addressTableBroken_ = !addressesRead_;
    log_.logLine(QStringLiteral("parameter address table not read: ") + error);
    dialogs_.information(nullptr,
                         QStringLiteral("The effect image %1 has no readable parameter address table (%2).\r\n%3")
                             .arg(name, error,
                                  addressesRead_ ? QStringLiteral("The editor keeps the addresses it had.")
                                                 : QStringLiteral("The editor sends no parameter changes for it.")));
}

Outcome CatalogueHandler::effetto_cliccato(int row)
{
    selectedRow_ = row;
    GetResourceFile();
    if (!session_.isLinked()) {
        OpenEffectWindow();
        return Outcome::Done;
    }
    const std::optional<PedalStatus>& status = session_.lastStatus();
    const QString pedalVersion = status ? status->algorithmText : QString();
    if (!status || !status->algorithm) {
        dialogs_.information(nullptr, QStringLiteral("The pedal's algorithm version \"%1\" is not a number. "
                                                     "Click Request to ask the pedal again.")
                                          .arg(pedalVersion));
        return Outcome::NoAnswer;
    }
    if (*status->algorithm >= catalogueVersion_) {
        OpenEffectWindow();
        return Outcome::Done;
    }
    if (effectView_ && effectView_->isEffectWindowShown())
        effectView_->closeEffectWindow();
    dialogs_.information(nullptr, QStringLiteral("Upload the latest version of Quarnel MK3 algorithm:\r\n"
                                                 "Upload Quarnel MK3 00")
                                      + QString::number(catalogueVersion_));
    return Outcome::Refused;
}

void CatalogueHandler::OpenEffectWindow()
{
    if (effectView_)
        effectView_->showEffectWindow(selectedEffectName_);
}
