#pragma once

class Editor;

// The upload of the tuning data table of tracking filters (the table itself is
// TrackingMessages::tuningTable).
class Tunings {
public:
    explicit Tunings(Editor& editor);

    void menuUploadTuningsDataClick();

private:
    Editor& editor_;
};
