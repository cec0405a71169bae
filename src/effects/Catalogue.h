#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class Editor;

// The effect catalogue in lstEffects, the embedded effect images and the shared text list.
class Catalogue {
public:
    explicit Catalogue(Editor& editor);

    void fill();
    void computeCatalogueVersion();
    int catalogueVersion() const { return catalogueVersion_; }
    QString selectedEffectName() const { return selectedEffectName_; }
    bool selectEntry(int index);
    void GetResourceFile();
    void effetto_cliccato();
    void OpenEffectWindow();
    void move_up_or_down(int key);

    // The shared text list: the lines of the data item loaded last.
    const QStringList& sharedTextList() const { return sharedTextList_; }
    // Its first line: for an effect image, the whole image as hexadecimal text.
    QString loadedImageLine() const { return sharedTextList_.isEmpty() ? QString() : sharedTextList_.first(); }

private:
    Editor& editor_;
    int catalogueVersion_ = 0;
    QString selectedEffectName_;
    QStringList sharedTextList_;
};
