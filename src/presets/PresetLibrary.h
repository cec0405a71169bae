#pragma once

#include "presets/PresetListing.h"

#include <QFileSystemWatcher>
#include <QTimer>
#include <QWidget>

#include <array>

namespace Ui {
class formPresetLibrary;
}
class BackupHandler;
class Dialogs;
class FunctionsUnit;
class LocalPresetHandler;
class Log;
class PedalSession;
class QTreeWidgetItem;
class Shell;

// The preset library: the preset folder and the automatic backups in one
// list, newest first, kept current while files come and go. A preset loads
// exactly as "Load Local Preset" loads the same file, and the pedal's values
// are saved as "Save Local Preset" saves them, only without the file dialog.
class PresetLibrary : public QWidget {
    Q_OBJECT
public:
    PresetLibrary(PedalSession& session, LocalPresetHandler& presets, BackupHandler& backups,
                  FunctionsUnit& functions, Log& log, Dialogs& dialogs, Shell& shell);
    ~PresetLibrary() override;

    Ui::formPresetLibrary* ui;

    enum class Group { Presets, Backups };
    // Item data of a preset's row.
    static constexpr int kPathRole = Qt::UserRole;
    static constexpr int kValidRole = Qt::UserRole + 1;
    // Value cells: true where the preset's value differs from the pedal's.
    static constexpr int kDiffersRole = Qt::UserRole + 2;

    QString presetFolder() const;
    QString backupFolder() const;

    // Opens the window, lists the folders afresh and puts the focus on the list.
    void showLibrary();
    // Reads both folders again; the selection stays on the same file.
    void rescan();

    // The group's header row, and the selected preset's path (empty if none).
    QTreeWidgetItem* groupItem(Group group) const;
    QString selectedPath() const;
    bool selectPath(const QString& path);

    // The buttons' handlers.
    void btnLoadClick();
    void btnSaveClick();
    void btnRenameClick();
    void btnDeleteClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const PresetListing::Entry* selectedEntry() const;
    void fillGroup(Group group, const QList<PresetListing::Entry>& entries);
    void showValues();
    void refreshCurrentValues();
    void updateButtons();
    void watchFolders();
    // Load and Save reach the pedal: enabled where the session lets a preset's
    // values through.
    bool linked() const;
    void tell(const QString& text);

    PedalSession& session_;
    LocalPresetHandler& presets_;
    BackupHandler& backups_;
    FunctionsUnit& functions_;
    Log& log_;
    Dialogs& dialogs_;
    Shell& shell_;
    std::array<QList<PresetListing::Entry>, 2> entries_;
    QFileSystemWatcher watcher_;
    // Changes come in bursts (a save writes, then renames); one rescan for them.
    QTimer rescanTimer_;
    // The pedal's values change from the effect window and status requests;
    // the comparison column follows them while the window is open.
    QTimer currentValuesTimer_;
    std::array<uint32_t, kParameterCount> shownCurrent_{};
    bool renaming_ = false;
    bool busy_ = false;
};
