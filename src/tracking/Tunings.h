#pragma once

#include <QString>

#include <cstdint>

class Editor;

// The tuning data table of tracking filters and its upload.
class Tunings {
public:
    explicit Tunings(Editor& editor);

    void menuUploadTuningsDataClick();

private:
    Editor& editor_;
};
