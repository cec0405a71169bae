#pragma once

#include "editor/ParameterModel.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <vector>

// The undo and redo history of the effect window's parameter values. A step
// holds the twenty values before and after it and which of them it changed;
// undoing it puts those back. Plain code: the window records, this keeps.
class EditHistory {
public:
    using Values = std::array<uint32_t, kParameterCount>;
    using Touched = std::array<bool, kParameterCount>;

    // A dial that rests this long ends its step; the next turn is a new one.
    static constexpr qint64 kMergeMs = 500;
    // Older steps are dropped beyond this many.
    static constexpr int kLimit = 500;
    // Steps that never merge with the one before.
    static constexpr int kNoMerge = -1;

    struct Step {
        QString name;
        Values before{};
        Values after{};
        Touched touched{};
        int mergeKey = kNoMerge;
        qint64 lastMs = 0;
    };

    static Touched only(ParameterId id);
    static Touched all();
    static Touched assignable();
    // The parameters whose values differ.
    static Touched differing(const Values& a, const Values& b);

    void clear();

    // A change made by the user. With the same mergeKey as the last step, no
    // undo since and within kMergeMs of its last change, it joins that step
    // (a dial still turning). A change that changes nothing is not a step.
    void record(const QString& name, const Values& before, const Values& after, const Touched& touched,
                int mergeKey, qint64 nowMs);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    QString undoName() const { return canUndo() ? undo_.back().name : QString(); }
    QString redoName() const { return canRedo() ? redo_.back().name : QString(); }

    // The values to put back for undo (the step's before values on the
    // parameters it touched, the current ones elsewhere), or redo. The step
    // moves to the other list; nothing when there is none.
    const Step* undo();
    const Step* redo();

    // Values with the touched ones taken from source.
    static Values apply(const Values& current, const Values& source, const Touched& touched);

private:
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    bool mergeOpen_ = false;
};
