#pragma once

#include <QStringList>

// The catalogue's list as the main window shows it.
class CatalogueView {
public:
    virtual ~CatalogueView() = default;
    virtual void showEntries(const QStringList& entries) = 0;
    // The entry shown selected; -1 selects none.
    virtual void showSelectedEntry(int row) = 0;
};
