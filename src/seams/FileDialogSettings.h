#pragma once

#include <QString>

// The settings of one file dialog, as the window keeps them between uses.
struct FileDialogSettings {
    QString title;
    QString filter;        // Qt form, e.g. "Text file (*.txt)"
    QString defaultSuffix; // without the point
    QString initialFolder; // empty: the dialog's own default
};
