#pragma once

#include "seams/Dialogs.h"

// The real boxes and dialogs.
class QtDialogs final : public Dialogs {
public:
    void information(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    bool askNumber(QWidget* parent, const QString& text, int& value, int min, int max) override;
    QString openFile(QWidget* parent, const QString& title, const QString& folder,
                     const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                     const QString& defaultSuffix) override;
};
