#include "editor/EditMenu.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

EditMenu::EditMenu(QWidget& widget, Window& window) : window_(window)
{
    bar_ = new QMenuBar(&widget);
    QMenu* edit = bar_->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    undo_ = edit->addAction(QStringLiteral("Undo"));
    undo_->setObjectName(QStringLiteral("menuUndo"));
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = edit->addAction(QStringLiteral("Redo"));
    redo_->setObjectName(QStringLiteral("menuRedo"));
    // Ctrl+Shift+Z is redo here; on the main window it keeps its own meaning.
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    compare_ = edit->addAction(QStringLiteral("Compare"));
    compare_->setObjectName(QStringLiteral("menuCompare"));
    compare_->setCheckable(true);
    compare_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    for (QAction* a : {undo_, redo_, compare_})
        a->setShortcutContext(Qt::WindowShortcut);
    connect(undo_, &QAction::triggered, this, &EditMenu::menuUndoClick);
    connect(redo_, &QAction::triggered, this, &EditMenu::menuRedoClick);
    connect(compare_, &QAction::triggered, this, &EditMenu::menuCompareClick);

    comparingLabel_ = new QLabel(QStringLiteral("Comparing"), bar_);
    QFont bold = comparingLabel_->font();
    bold.setBold(true);
    comparingLabel_->setFont(bold);
    comparingLabel_->setContentsMargins(0, 0, 8, 0);
    comparingLabel_->setToolTip(QStringLiteral("The pedal plays the values of the last status reply or preset; "
                                               "Compare again (Ctrl+K) brings your edits back."));
    bar_->setCornerWidget(comparingLabel_, Qt::TopRightCorner);
    comparingLabel_->hide();
    update();
}

void EditMenu::update()
{
    const bool canEdit = controlsEnabled_ && !comparing_;
    undo_->setText(history_.canUndo() ? QStringLiteral("Undo ") + history_.undoName() : QStringLiteral("Undo"));
    redo_->setText(history_.canRedo() ? QStringLiteral("Redo ") + history_.redoName() : QStringLiteral("Redo"));
    undo_->setEnabled(canEdit && history_.canUndo());
    redo_->setEnabled(canEdit && history_.canRedo());
    compare_->setEnabled(controlsEnabled_ && referenceKnown_);
    compare_->setChecked(comparing_);
    comparingLabel_->setVisible(comparing_);
}

void EditMenu::setControlsEnabled(bool enabled)
{
    controlsEnabled_ = enabled;
    update();
}

void EditMenu::recordEdit(ParameterId id, const QString& name, const Values& before, int mergeKey)
{
    // Touching a control while comparing keeps what is shown and goes on from there.
    if (comparing_) {
        comparing_ = false;
        window_.log(QStringLiteral("comparison ended by a change of ") + name);
    }
    history_.record(name, before, window_.shownValues(), EditHistory::only(id), mergeKey, window_.nowMs());
    update();
}

EditMenu::Values EditMenu::beginWholeChange()
{
    if (!comparing_)
        return window_.shownValues();
    // The pedal plays the reference values and the controls show them; the
    // change goes on from there, but what it replaces are the user's edits.
    comparing_ = false;
    window_.log(QStringLiteral("comparison ended"));
    update();
    return edits_;
}

void EditMenu::recordWholeChange(const QString& name, const Values& before, const Touched& touched)
{
    history_.record(name, before, window_.shownValues(), touched, EditHistory::kNoMerge, window_.nowMs());
    update();
}

void EditMenu::setReference(const Values& values)
{
    reference_ = values;
    referenceKnown_ = true;
    update();
}

void EditMenu::startFrom(const Values& values)
{
    history_.clear();
    comparing_ = false;
    setReference(values);
}

bool EditMenu::valuesToKeep(Values& out) const
{
    if (!referenceKnown_)
        return false;
    out = comparing_ ? edits_ : window_.shownValues();
    return true;
}

void EditMenu::forget()
{
    history_.clear();
    comparing_ = false;
    referenceKnown_ = false;
    update();
}

void EditMenu::menuUndoClick()
{
    takeStep(true);
}

void EditMenu::menuRedoClick()
{
    takeStep(false);
}

void EditMenu::takeStep(bool undo)
{
    if (comparing_ || !controlsEnabled_)
        return;
    const Values current = window_.shownValues();
    const EditHistory::Step* step = undo ? history_.undo() : history_.redo();
    if (!step)
        return;
    window_.log((undo ? QStringLiteral("Undo ") : QStringLiteral("Redo ")) + step->name);
    window_.putValues(EditHistory::apply(current, undo ? step->before : step->after, step->touched), step->touched);
    update();
}

void EditMenu::menuCompareClick()
{
    if (!referenceKnown_ || !controlsEnabled_) {
        update();
        return;
    }
    if (!comparing_) {
        edits_ = window_.shownValues();
        comparing_ = true;
        window_.log(QStringLiteral("Comparing: the values of the last status reply or preset"));
        window_.putValues(reference_, EditHistory::differing(edits_, reference_));
    } else {
        comparing_ = false;
        window_.log(QStringLiteral("Comparison ended: your edits again"));
        window_.putValues(edits_, EditHistory::differing(edits_, window_.shownValues()));
    }
    update();
}
