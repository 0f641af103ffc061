#pragma once

#include <algorithm>
#include <vector>

#include "textview/FormatTable.h"

// Which format of a FormatTable each stretch of a box's text has, kept apart from the text: runs,
// each starting where the one before ends, in UTF-16 units of the whole text. Restyling a range
// changes the runs only; the box applies them when it lays the text out.
class StyleRuns {
  public:
    // length units of text in the format follow at the end.
    void Extend(int length, int format);
    // Merges the format into the formats over [from, to), after those set before it.
    void Merge(int from, int to, int format, FormatTable& formats);
    // The format of the unit (FormatTable::kNone past the end).
    int FormatAt(int unit) const;
    // Calls visit(start, end, format) for every styled run over [from, to), cut to that range.
    template <typename Visit>
    void ForEachStyled(int from, int to, Visit visit) const;
    void Clear();

  private:
    size_t RunAt(int unit) const;
    // Cuts the run holding the unit so that a run starts there; the index of that run.
    size_t SplitAt(int unit);

    std::vector<int> mStarts;   // ascending, the first 0
    std::vector<int> mFormats;  // the run's format, by the run's index
    int mEnd = 0;
};

template <typename Visit>
void StyleRuns::ForEachStyled(int from, int to, Visit visit) const {
    to = std::min(to, mEnd);
    if (from >= to) {
        return;
    }
    for (size_t run = RunAt(from); run < mStarts.size() && mStarts[run] < to; ++run) {
        if (mFormats[run] == FormatTable::kNone) {
            continue;
        }
        const int end = run + 1 < mStarts.size() ? mStarts[run + 1] : mEnd;
        visit(std::max(mStarts[run], from), std::min(end, to), mFormats[run]);
    }
}
