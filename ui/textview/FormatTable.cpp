#include "textview/FormatTable.h"

#include <algorithm>

FormatTable::FormatTable() : mFormats{QTextCharFormat()} {}

int FormatTable::Intern(const QTextCharFormat& format) {
    const auto known = std::find(mFormats.begin(), mFormats.end(), format);
    if (known != mFormats.end()) {
        return static_cast<int>(known - mFormats.begin());
    }
    mFormats.push_back(format);
    return static_cast<int>(mFormats.size() - 1);
}

int FormatTable::Foreground(const QColor& color) {
    for (const auto& [known, id] : mForegrounds) {
        if (known == color) {
            return id;
        }
    }
    QTextCharFormat format;
    format.setForeground(color);
    return mForegrounds.emplace_back(color, Intern(format)).second;
}

int FormatTable::Background(const QColor& color) {
    for (const auto& [known, id] : mBackgrounds) {
        if (known == color) {
            return id;
        }
    }
    QTextCharFormat format;
    format.setBackground(color);
    return mBackgrounds.emplace_back(color, Intern(format)).second;
}

int FormatTable::Font(const QFont& font) {
    for (const auto& [known, id] : mFonts) {
        if (known == font && known.resolveMask() == font.resolveMask()) {
            return id;
        }
    }
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesSpecifiedOnly);
    return mFonts.emplace_back(font, Intern(format)).second;
}

int FormatTable::Underline() {
    if (mUnderline == kNone) {
        QTextCharFormat format;
        format.setFontUnderline(true);
        mUnderline = Intern(format);
    }
    return mUnderline;
}

int FormatTable::Merged(int base, int added) {
    if (base == kNone || base == added) {
        return added;
    }
    if (added == kNone) {
        return base;
    }
    // Styling asks this for every range it styles: a table by both numbers answers at once.
    const auto row = static_cast<size_t>(base);
    const auto column = static_cast<size_t>(added);
    if (mMerged.size() <= row) {
        mMerged.resize(row + 1);
    }
    if (mMerged[row].size() <= column) {
        mMerged[row].resize(column + 1, kNone);
    }
    if (mMerged[row][column] != kNone) {
        return mMerged[row][column];
    }
    QTextCharFormat format = (*this)[base];
    format.merge((*this)[added]);
    const int id = Intern(format);
    mMerged[row][column] = id;
    return id;
}
