#pragma once

#include "session/Outcome.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class CatalogueView;
class Dialogs;
class EffectView;
class Log;
class PedalSession;

// The effect catalogue: its entries (the embedded "octave" item), its
// version, the selected effect, the embedded effect images and the shared
// text list they are loaded into. Choosing an effect reads its image's
// parameter address table into the session's model, so that the effect
// window's controls send to the addresses of the effect the pedal runs.
class CatalogueHandler {
public:
    CatalogueHandler(PedalSession& session, Log& log, Dialogs& dialogs);

    void setView(CatalogueView* view) { view_ = view; }
    void setEffectView(EffectView* view) { effectView_ = view; }

    // At start-up: one entry per line of the "octave" item, then the version.
    void fill();
    void setEntries(const QStringList& entries);
    const QStringList& entries() const { return entries_; }
    void computeCatalogueVersion();
    int catalogueVersion() const { return catalogueVersion_; }
    QString selectedEffectName() const { return selectedEffectName_; }

    // Selects the entry; false, and nothing selected, when index names no entry.
    bool selectEntry(int index);
    // False once the pedal has reported an effect that is no entry of the
    // catalogue, until an entry is selected or prepared again: the effect
    // window then knows no address that belongs to the running effect.
    bool effectKnown() const { return effectKnown_; }
    // Whether a parameter message has an address of the running effect to go
    // to: false when no address table could ever be read, or the pedal runs
    // an effect the catalogue does not hold.
    bool addressesUsable() const { return !addressTableBroken_ && effectKnown_; }
    // Loads the selected entry's image into the shared text list and reads its
    // parameter address table; sends nothing.
    void GetResourceFile();
    // A click on an entry (the row clicked, or the selected one).
    Outcome effetto_cliccato(int row);
    Outcome effetto_cliccato() { return effetto_cliccato(selectedRow_); }
    // Shows the effect settings window right of the main window.
    void OpenEffectWindow();

    // "Quarnel MK3 0015" -> "Quarnel_MK3_0015": blanks and "-" become "_",
    // "+" becomes "plus" and an upper-case "X" "mult".
    static QString imageName(const QString& effectName);
    // The catalogue version an entry's text names: its last four characters
    // as a decimal number, or -1 when they are not one.
    static int versionOf(const QString& entryText);
    // The item's text as lines (CR LF, LF or CR end a line; a break at the end
    // starts no new line).
    static QStringList splitLines(const QString& text);

    // Loads a data item by name into the shared text list. When it cannot be
    // loaded the user is told and the list keeps what it held.
    bool loadTextResource(const QString& name);

    // The shared text list: the lines of the data item loaded last.
    const QStringList& sharedTextList() const { return sharedTextList_; }
    // Its first line: for an effect image, the whole image as hexadecimal text.
    QString loadedImageLine() const { return sharedTextList_.isEmpty() ? QString() : sharedTextList_.first(); }

private:
    void readAddressTable(const QString& name, bool loaded);

    PedalSession& session_;
    Log& log_;
    Dialogs& dialogs_;
    CatalogueView* view_ = nullptr;
    EffectView* effectView_ = nullptr;
    QStringList entries_;
    int selectedRow_ = -1;
    int catalogueVersion_ = 0;
    QString selectedEffectName_;
    QStringList sharedTextList_;
    bool effectKnown_ = true;
    bool addressesRead_ = false;
    bool addressTableBroken_ = false;
    // The image whose address table the model holds: choosing its effect
    // again reads nothing.
    QString addressesOf_;
};
