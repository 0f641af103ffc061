#include "textview/StyleRuns.h"

void StyleRuns::Extend(int length, int format) {
    if (length <= 0) {
        return;
    }
    if (mFormats.empty() || mFormats.back() != format) {
        mStarts.push_back(mEnd);
        mFormats.push_back(format);
    }
    mEnd += length;
}

size_t StyleRuns::RunAt(int unit) const {
    const auto after = std::upper_bound(mStarts.begin(), mStarts.end(), unit);
    return static_cast<size_t>(after - mStarts.begin()) - 1;
}

size_t StyleRuns::SplitAt(int unit) {
    if (unit >= mEnd) {
        return mStarts.size();
    }
    const size_t run = RunAt(unit);
    if (mStarts[run] == unit) {
        return run;
    }
    const auto at = static_cast<std::ptrdiff_t>(run + 1);
    mStarts.insert(mStarts.begin() + at, unit);
    mFormats.insert(mFormats.begin() + at, mFormats[run]);
    return run + 1;
}

void StyleRuns::Merge(int from, int to, int format, FormatTable& formats) {
    from = std::max(from, 0);
    to = std::min(to, mEnd);
    if (from >= to || format == FormatTable::kNone) {
        return;
    }
    const size_t first = SplitAt(from);
    const size_t last = SplitAt(to);
    for (size_t run = first; run < last; ++run) {
        mFormats[run] = formats.Merged(mFormats[run], format);
    }
}

int StyleRuns::FormatAt(int unit) const {
    if (unit < 0 || unit >= mEnd) {
        return FormatTable::kNone;
    }
    return mFormats[RunAt(unit)];
}

void StyleRuns::Clear() {
    mStarts.clear();
    mFormats.clear();
    mEnd = 0;
}
