#pragma once

#include <QString>

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

private:
    Editor& editor_;
    int catalogueVersion_ = 0;
    QString selectedEffectName_;
};
