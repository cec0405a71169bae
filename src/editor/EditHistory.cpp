#include "editor/EditHistory.h"

EditHistory::Touched EditHistory::only(ParameterId id)
{
    Touched t{};
    t[static_cast<size_t>(id)] = true;
    return t;
}

EditHistory::Touched EditHistory::all()
{
    Touched t{};
    t.fill(true);
    return t;
}

EditHistory::Touched EditHistory::assignable()
{
    Touched t{};
    for (ParameterId id : kAssignableOrder)
        t[static_cast<size_t>(id)] = true;
    return t;
}

EditHistory::Touched EditHistory::differing(const Values& a, const Values& b)
{
    Touched t{};
    for (size_t k = 0; k < t.size(); ++k)
        t[k] = a[k] != b[k];
    return t;
}

EditHistory::Values EditHistory::apply(const Values& current, const Values& source, const Touched& touched)
{
    Values out = current;
    for (size_t k = 0; k < out.size(); ++k)
        if (touched[k])
            out[k] = source[k];
    return out;
}

void EditHistory::clear()
{
    undo_.clear();
    redo_.clear();
    mergeOpen_ = false;
}

void EditHistory::record(const QString& name, const Values& before, const Values& after, const Touched& touched,
                         int mergeKey, qint64 nowMs)
{
    if (mergeKey != kNoMerge && mergeOpen_ && !undo_.empty()) {
        Step& last = undo_.back();
        if (last.mergeKey == mergeKey && nowMs - last.lastMs < kMergeMs) {
            last.after = apply(last.after, after, touched);
            for (size_t k = 0; k < touched.size(); ++k)
                last.touched[k] = last.touched[k] || touched[k];
            last.lastMs = nowMs;
            return;
        }
    }
    bool changed = false;
    for (size_t k = 0; k < touched.size(); ++k)
        changed = changed || (touched[k] && before[k] != after[k]);
    if (!changed)
        return;
    redo_.clear();
    undo_.push_back(Step{name, before, after, touched, mergeKey, nowMs});
    if (static_cast<int>(undo_.size()) > kLimit)
        undo_.erase(undo_.begin());
    mergeOpen_ = mergeKey != kNoMerge;
}

const EditHistory::Step* EditHistory::undo()
{
    if (undo_.empty())
        return nullptr;
    redo_.push_back(undo_.back());
    undo_.pop_back();
    mergeOpen_ = false;
    return &redo_.back();
}

const EditHistory::Step* EditHistory::redo()
{
    if (redo_.empty())
        return nullptr;
    undo_.push_back(redo_.back());
    redo_.pop_back();
    mergeOpen_ = false;
    return &undo_.back();
}
