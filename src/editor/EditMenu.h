#pragma once

#include "editor/EditHistory.h"

#include <QObject>
#include <QString>

class QAction;
class QLabel;
class QMenuBar;
class QWidget;

// The effect window's Edit menu: undo and redo of parameter edits, and the
// comparison with the values the last status reply or preset brought. It
// keeps the history and whether a comparison runs; the window records its
// users' changes here and lends the menu what it needs to put values back.
class EditMenu : public QObject {
public:
    using Values = EditHistory::Values;
    using Touched = EditHistory::Touched;

    // What the menu needs of the window it sits on.
    class Window {
    public:
        virtual ~Window() = default;
        // The values the controls show.
        virtual Values shownValues() const = 0;
        // Shows target on the controls without their handlers sending or
        // recording, then sends the values marked in send, paced.
        virtual void putValues(const Values& target, const Touched& send) = 0;
        virtual void log(const QString& text) = 0;
        virtual qint64 nowMs() = 0;
    };

    // The bar goes on the window's widget, at its top; the window places the
    // rest below it.
    EditMenu(QWidget& widget, Window& window);

    QMenuBar* bar() const { return bar_; }
    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    QAction* compareAction() const { return compare_; }
    // Says "Comparing" beside the menu while the reference values play.
    QLabel* comparingLabel() const { return comparingLabel_; }

    bool comparing() const { return comparing_; }
    const EditHistory& history() const { return history_; }

    void setControlsEnabled(bool enabled);

    void menuUndoClick();
    void menuRedoClick();
    void menuCompareClick();

    // After a user's change of one parameter's control, which the window
    // made and sent; before are the values it replaced.
    void recordEdit(ParameterId id, const QString& name, const Values& before, int mergeKey);
    // The values of the user's edits before a whole-set change; ends a comparison.
    Values beginWholeChange();
    // A whole-set change, done, as one step.
    void recordWholeChange(const QString& name, const Values& before, const Touched& touched);
    // Values the pedal was given whole (a preset): what "Compare" goes back to.
    void setReference(const Values& values);
    // The pedal's own values: the reference, and where the history starts afresh.
    void startFrom(const Values& values);
    // The values the pedal plays with the user's edits (also while comparing).
    // False until the pedal's values have been read or a preset loaded.
    bool valuesToKeep(Values& out) const;
    // Back to knowing no values: no reference, no comparison, no history.
    void forget();

private:
    void update();
    // Undo (or redo) the newest step, with the values it touched sent again.
    void takeStep(bool undo);

    Window& window_;
    QMenuBar* bar_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* compare_ = nullptr;
    QLabel* comparingLabel_ = nullptr;

    EditHistory history_;
    Values reference_{};
    Values edits_{};
    bool referenceKnown_ = false;
    bool comparing_ = false;
    bool controlsEnabled_ = true;
};
