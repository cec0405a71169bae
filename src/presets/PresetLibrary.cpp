#include "presets/PresetLibrary.h"

#include "app/FunctionsUnit.h"
#include "presets/BackupHandler.h"
#include "presets/LocalPresetHandler.h"
#include "seams/Dialogs.h"
#include "seams/Log.h"
#include "seams/Shell.h"
#include "session/PedalSession.h"
#include "ui_PresetLibrary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QScopedValueRollback>

namespace {
constexpr int kRescanDelayMs = 150;
constexpr int kCurrentValuesIntervalMs = 400;

QString quoted(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}
} // namespace

PresetLibrary::PresetLibrary(PedalSession& session, LocalPresetHandler& presets, BackupHandler& backups,
                             FunctionsUnit& functions, Log& log, Dialogs& dialogs, Shell& shell)
    : QWidget(nullptr), ui(new Ui::formPresetLibrary), session_(session), presets_(presets), backups_(backups),
      functions_(functions), log_(log), dialogs_(dialogs), shell_(shell)
{
    ui->setupUi(this);
    ui->lstPresets->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    ui->lstPresets->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    ui->lstPresets->header()->setStretchLastSection(false);
    ui->tblValues->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ui->tblValues->setRowCount(0);
    ui->tblValues->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    for (Group g : {Group::Presets, Group::Backups}) {
        auto* item = new QTreeWidgetItem(ui->lstPresets);
        item->setFlags(Qt::ItemIsEnabled);
        item->setFirstColumnSpanned(true);
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        item->setData(0, Qt::UserRole + 10, static_cast<int>(g));
    }
    ui->lstPresets->expandAll();

    connect(ui->lstPresets, &QTreeWidget::itemSelectionChanged, this, [this] {
        renaming_ = false;
        showValues();
        updateButtons();
    });
    connect(ui->lstPresets, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && item->parent())
            btnLoadClick();
    });
    ui->lstPresets->installEventFilter(this);
    connect(ui->edtName, &QLineEdit::returnPressed, this, [this] { renaming_ ? btnRenameClick() : btnSaveClick(); });
    connect(ui->edtName, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    connect(ui->btnLoad, &QPushButton::clicked, this, &PresetLibrary::btnLoadClick);
    connect(ui->btnSave, &QPushButton::clicked, this, &PresetLibrary::btnSaveClick);
    connect(ui->btnRename, &QPushButton::clicked, this, &PresetLibrary::btnRenameClick);
    connect(ui->btnDelete, &QPushButton::clicked, this, &PresetLibrary::btnDeleteClick);
    connect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);

    rescanTimer_.setSingleShot(true);
    rescanTimer_.setInterval(kRescanDelayMs);
    connect(&rescanTimer_, &QTimer::timeout, this, &PresetLibrary::rescan);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { rescanTimer_.start(); });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { rescanTimer_.start(); });
    currentValuesTimer_.setInterval(kCurrentValuesIntervalMs);
    connect(&currentValuesTimer_, &QTimer::timeout, this, [this] {
        refreshCurrentValues();
        updateButtons();
    });
    connect(&session_, &PedalSession::modeChanged, this, [this] { updateButtons(); });
    updateButtons();
}

PresetLibrary::~PresetLibrary()
{
    delete ui;
}

QString PresetLibrary::presetFolder() const
{
    return presets_.presetFolder();
}

QString PresetLibrary::backupFolder() const
{
    return backups_.folder();
}

QTreeWidgetItem* PresetLibrary::groupItem(Group group) const
{
    return ui->lstPresets->topLevelItem(static_cast<int>(group));
}

void PresetLibrary::showLibrary()
{
    // Made here as the preset menu items make it, so that it is watched from the start.
    QDir().mkpath(presetFolder());
    show();
    raise();
    activateWindow();
    rescan();
    ui->lstPresets->setFocus();
    if (!ui->lstPresets->currentItem() || !ui->lstPresets->currentItem()->parent()) {
        for (Group g : {Group::Presets, Group::Backups}) {
            if (groupItem(g)->childCount() > 0) {
                ui->lstPresets->setCurrentItem(groupItem(g)->child(0));
                break;
            }
        }
    }
}

void PresetLibrary::rescan()
{
    rescanTimer_.stop();
    const QString selected = selectedPath();
    // Where the selection was, so that it stays in place when its file goes.
    QTreeWidgetItem* current = ui->lstPresets->currentItem();
    QTreeWidgetItem* currentGroup = current ? current->parent() : nullptr;
    const int currentRow = currentGroup ? currentGroup->indexOfChild(current) : -1;

    // Folders are watched before they are read, so that a file written
    // meanwhile is caught by one or the other.
    if (isVisible()) {
        const QStringList watched = watcher_.directories();
        for (const QString& folder : {functions_.filesFolder(), presetFolder(), backupFolder()})
            if (!watched.contains(folder) && QFileInfo(folder).isDir())
                watcher_.addPath(folder);
    }
    entries_[0] = PresetListing::scan(presetFolder());
    entries_[1] = PresetListing::scan(backupFolder());
    const QSignalBlocker block(ui->lstPresets);
    fillGroup(Group::Presets, entries_[0]);
    fillGroup(Group::Backups, entries_[1]);
    if (isVisible())
        watchFolders();

    if (!selectPath(selected) && currentGroup && currentGroup->childCount() > 0)
        ui->lstPresets->setCurrentItem(currentGroup->child(std::min(currentRow, currentGroup->childCount() - 1)));
    showValues();
    updateButtons();
}

void PresetLibrary::fillGroup(Group group, const QList<PresetListing::Entry>& entries)
{
    QTreeWidgetItem* header = groupItem(group);
    qDeleteAll(header->takeChildren());
    const QString title = group == Group::Presets ? QStringLiteral("Presets") : QStringLiteral("Backups");
    header->setText(0, entries.isEmpty() ? title + QStringLiteral(" (none)")
                                         : QStringLiteral("%1 (%2)").arg(title).arg(entries.size()));
    const QColor grey = palette().color(QPalette::Disabled, QPalette::Text);
    for (const PresetListing::Entry& e : entries) {
        auto* item = new QTreeWidgetItem(header);
        item->setText(0, e.name);
        item->setText(1, QLocale().toString(e.modified, QLocale::ShortFormat));
        item->setData(0, kPathRole, e.path);
        item->setData(0, kValidRole, e.valid);
        if (!e.valid) {
            // Still selectable, so that it can be renamed or deleted.
            const QString why = QStringLiteral("Not a preset, cannot be loaded: ") + e.reason;
            for (int c = 0; c < 2; ++c) {
                item->setForeground(c, grey);
                item->setToolTip(c, why);
            }
        } else {
            item->setToolTip(0, QDir::toNativeSeparators(e.path));
        }
    }
    header->setExpanded(true);
}

void PresetLibrary::watchFolders()
{
    const QStringList old = watcher_.files() + watcher_.directories();
    if (!old.isEmpty())
        watcher_.removePaths(old);
    QStringList paths;
    // The files folder too: the backup folder appears there with the first backup.
    for (const QString& folder : {functions_.filesFolder(), presetFolder(), backupFolder()})
        if (QFileInfo(folder).isDir())
            paths << folder;
    // A file rewritten in place changes no folder.
    for (const auto& group : entries_)
        for (const PresetListing::Entry& e : group)
            paths << e.path;
    if (!paths.isEmpty())
        watcher_.addPaths(paths);
}

QString PresetLibrary::selectedPath() const
{
    const QTreeWidgetItem* item = ui->lstPresets->currentItem();
    return item && item->isSelected() ? item->data(0, kPathRole).toString() : QString();
}

bool PresetLibrary::selectPath(const QString& path)
{
    if (path.isEmpty())
        return false;
    for (Group g : {Group::Presets, Group::Backups}) {
        QTreeWidgetItem* header = groupItem(g);
        for (int i = 0; i < header->childCount(); ++i) {
            if (header->child(i)->data(0, kPathRole).toString() == path) {
                ui->lstPresets->setCurrentItem(header->child(i));
                return true;
            }
        }
    }
    return false;
}

const PresetListing::Entry* PresetLibrary::selectedEntry() const
{
    const QString path = selectedPath();
    for (const auto& group : entries_)
        for (const PresetListing::Entry& e : group)
            if (e.path == path && !path.isEmpty())
                return &e;
    return nullptr;
}

void PresetLibrary::showValues()
{
    const PresetListing::Entry* e = selectedEntry();
    QTableWidget* table = ui->tblValues;
    if (!e || !e->valid) {
        table->setRowCount(0);
        ui->lblValues->setText(!e ? QStringLiteral("Select a preset to see its values.")
                                  : quoted(e->name) + QStringLiteral(" is not a preset and cannot be loaded: ")
                                        + e->reason);
        return;
    }
    ui->lblValues->setText(quoted(e->name) + QStringLiteral(": values that differ from the pedal's are in bold."));
    const ParameterModel& model = session_.parameters();
    table->setRowCount(kParameterCount);
    for (int k = 0; k < kParameterCount; ++k) {
        const auto id = static_cast<ParameterId>(k);
        for (int c = 0; c < 3; ++c)
            if (!table->item(k, c))
                table->setItem(k, c, new QTableWidgetItem);
        table->item(k, 0)->setText(model.name(id));
        table->item(k, 1)->setText(PresetListing::shownValue(id, e->values[static_cast<size_t>(k)]));
    }
    shownCurrent_ = model.values();
    // Forces the comparison column to be written.
    shownCurrent_[0] = ~shownCurrent_[0];
    refreshCurrentValues();
}

void PresetLibrary::refreshCurrentValues()
{
    const PresetListing::Entry* e = selectedEntry();
    if (!e || !e->valid)
        return;
    const ParameterModel& model = session_.parameters();
    const auto current = model.values();
    if (current == shownCurrent_)
        return;
    shownCurrent_ = current;
    QTableWidget* table = ui->tblValues;
    for (int k = 0; k < kParameterCount && k < table->rowCount(); ++k) {
        const auto id = static_cast<ParameterId>(k);
        const uint32_t now = current[static_cast<size_t>(k)];
        const bool differs = e->values[static_cast<size_t>(k)] != now;
        table->item(k, 2)->setText(PresetListing::shownValue(id, now));
        for (int c = 0; c < 3; ++c) {
            QTableWidgetItem* cell = table->item(k, c);
            QFont f = cell->font();
            f.setBold(differs);
            cell->setFont(f);
            cell->setData(kDiffersRole, differs);
            cell->setToolTip(differs ? QStringLiteral("Differs from the pedal's current value") : QString());
        }
    }
}

bool PresetLibrary::linked() const
{
    constexpr ModeSet kLoadSave{SessionMode::Linked, SessionMode::AlgorithmTooOld};
    return kLoadSave.contains(session_.shownMode());
}

void PresetLibrary::updateButtons()
{
    const PresetListing::Entry* e = selectedEntry();
    ui->btnLoad->setEnabled(e && e->valid && linked() && !busy_);
    ui->btnSave->setEnabled(linked() && !busy_);
    ui->btnRename->setEnabled(e && !busy_);
    ui->btnDelete->setEnabled(e && !busy_);
}

void PresetLibrary::tell(const QString& text)
{
    dialogs_.information(this, text);
}

void PresetLibrary::btnLoadClick()
{
    if (busy_)
        return;
    const PresetListing::Entry* e = selectedEntry();
    if (!e)
        return;
    if (!e->valid) {
        tell(quoted(e->name) + QStringLiteral(" is not a preset and cannot be loaded: ") + e->reason);
        return;
    }
    if (!linked()) {
        tell(QStringLiteral("Link the pedal first (Connection, Scan And Link), then load the preset."));
        return;
    }
    // The list may be read again while the load's message box is open.
    const QString path = e->path;
    {
        const QScopedValueRollback<bool> busy(busy_, true);
        updateButtons();
        presets_.loadPresetFile(path);
    }
    showValues();
    updateButtons();
}

void PresetLibrary::btnSaveClick()
{
    if (busy_)
        return;
    if (!linked()) {
        tell(QStringLiteral("Link the pedal first (Connection, Scan And Link), then save its values."));
        return;
    }
    QString error;
    const QString fileName = PresetListing::fileNameFor(ui->edtName->text(), &error);
    if (fileName.isEmpty()) {
        tell(error);
        ui->edtName->setFocus();
        return;
    }
    const QString folder = presetFolder();
    if (!QDir().mkpath(folder)) {
        tell(QStringLiteral("Cannot create the preset folder ") + QDir::toNativeSeparators(folder));
        return;
    }
    const QString path = QDir(folder).filePath(fileName);
    {
        const QScopedValueRollback<bool> busy(busy_, true);
        updateButtons();
        if (const std::optional<PresetFile::Values> values = presets_.takeCurrentValues())
            presets_.writePresetFile(path, *values);
    }
    rescan();
    if (selectPath(path)) {
        ui->edtName->clear();
        ui->lstPresets->setFocus();
    }
    updateButtons();
}

void PresetLibrary::btnRenameClick()
{
    const PresetListing::Entry* e = selectedEntry();
    if (busy_ || !e)
        return;
    const QString path = e->path;
    const QString oldName = e->name;
    QString error;
    const QString fileName = PresetListing::fileNameFor(ui->edtName->text(), &error);
    if (fileName.isEmpty()) {
        tell(error);
        ui->edtName->setFocus();
        return;
    }
    const QString target = QFileInfo(path).dir().filePath(fileName);
    if (target == path)
        return;
    // A change of case only is the same file where names ignore case.
    if (QFileInfo::exists(target) && target.compare(path, Qt::CaseInsensitive) != 0) {
        tell(QStringLiteral("A file named ") + quoted(fileName) + QStringLiteral(" already exists. Choose another name."));
        ui->edtName->setFocus();
        return;
    }
    QFile file(path);
    if (!file.rename(target)) {
        tell(QStringLiteral("Could not rename ") + quoted(oldName) + QStringLiteral(": ") + file.errorString());
        return;
    }
    log_.logLine(QStringLiteral("preset renamed: ") + QDir::toNativeSeparators(path) + QStringLiteral(" -> ")
                          + QDir::toNativeSeparators(target));
    renaming_ = false;
    ui->edtName->clear();
    rescan();
    selectPath(target);
    ui->lstPresets->setFocus();
}

void PresetLibrary::btnDeleteClick()
{
    const PresetListing::Entry* e = selectedEntry();
    if (busy_ || !e)
        return;
    const QString path = e->path;
    const QString name = e->name;
    if (!dialogs_.askYesNo(this, QStringLiteral("Delete ") + quoted(name)
                                              + QStringLiteral("? It goes to the trash.")))
        return;
    if (shell_.moveToTrash(path)) {
        log_.logLine(QStringLiteral("preset moved to the trash: ") + QDir::toNativeSeparators(path));
    } else if (QFileInfo::exists(path)) {
        if (!dialogs_.askYesNo(this, QStringLiteral("There is no trash for ") + quoted(name)
                                                  + QStringLiteral(". Delete it for good?")))
            return;
        QFile file(path);
        if (!file.remove()) {
            tell(QStringLiteral("Could not delete ") + quoted(name) + QStringLiteral(": ") + file.errorString());
            return;
        }
        log_.logLine(QStringLiteral("preset deleted: ") + QDir::toNativeSeparators(path));
    }
    rescan();
    ui->lstPresets->setFocus();
}

bool PresetLibrary::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->lstPresets && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~(Qt::KeypadModifier))
            return QWidget::eventFilter(watched, event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            btnLoadClick();
            return true;
        case Qt::Key_Delete:
            btnDeleteClick();
            return true;
        case Qt::Key_F2:
            if (const PresetListing::Entry* e = selectedEntry()) {
                renaming_ = true;
                ui->edtName->setText(e->name);
                ui->edtName->selectAll();
                ui->edtName->setFocus();
            }
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PresetLibrary::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // A name being typed is dropped first; the next Escape closes.
        if (ui->edtName->hasFocus() && (renaming_ || !ui->edtName->text().isEmpty())) {
            renaming_ = false;
            ui->edtName->clear();
            ui->lstPresets->setFocus();
            return;
        }
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PresetLibrary::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    watchFolders();
    currentValuesTimer_.start();
}

void PresetLibrary::hideEvent(QHideEvent* event)
{
    currentValuesTimer_.stop();
    rescanTimer_.stop();
    const QStringList paths = watcher_.files() + watcher_.directories();
    if (!paths.isEmpty())
        watcher_.removePaths(paths);
    QWidget::hideEvent(event);
}
