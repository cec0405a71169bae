#pragma once

#include <QString>

// The main window's status line ("Status: ", "Uploading...", the pedal's
// answer to an upload).
class StatusLine {
public:
    virtual ~StatusLine() = default;
    virtual void showStatusText(const QString& text) = 0;
    virtual QString statusText() const = 0;
};
