#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class Editor;

// The effect catalogue in lstEffects, the embedded effect images and the
// shared text list they are loaded into.
class CatalogueHandler {
public:
    explicit CatalogueHandler(Editor& editor);

    // At start-up: one entry per line of the "octave" item, then the version.
    void fill();
    void computeCatalogueVersion();
    int catalogueVersion() const { return catalogueVersion_; }
    QString selectedEffectName() const { return selectedEffectName_; }

    // Selects the entry; false, and nothing selected, when index names no entry.
    bool selectEntry(int index);
    // False once the pedal has reported an effect that is no entry of the
    // catalogue, until an entry is selected or prepared again: the effect
    // window then knows no address that belongs to the running effect.
    bool effectKnown() const { return effectKnown_; }
    // Loads the selected entry's image into the shared text list; sends nothing.
    void GetResourceFile();
    // A click on an entry.
    void effetto_cliccato();
    // Shows the effect settings window right of the main window.
    void OpenEffectWindow();
    // Up and down arrows in the catalogue move the selection only.
    void move_up_or_down(int key);

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
    Editor& editor_;
    int catalogueVersion_ = 0;
    QString selectedEffectName_;
    QStringList sharedTextList_;
    bool effectKnown_ = true;
};
