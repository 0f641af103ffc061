#pragma once

#include <QColor>
#include <QFont>
#include <QTextCharFormat>
#include <utility>
#include <vector>

// The character formats a box uses, by number: ranges with equal formats share one format object,
// and the combination of two formats is worked out once.
class FormatTable {
  public:
    static constexpr int kNone = 0;  // the empty format

    FormatTable();
    int Foreground(const QColor& color);
    int Background(const QColor& color);
    // Only the font's properties that were set on it.
    int Font(const QFont& font);
    int Underline();
    // added merged into base.
    int Merged(int base, int added);
    const QTextCharFormat& operator[](int id) const { return mFormats[static_cast<size_t>(id)]; }

  private:
    int Intern(const QTextCharFormat& format);

    std::vector<QTextCharFormat> mFormats;
    std::vector<std::pair<QColor, int>> mForegrounds;
    std::vector<std::pair<QColor, int>> mBackgrounds;
    std::vector<std::pair<QFont, int>> mFonts;
    std::vector<std::vector<int>> mMerged;  // [base][added], kNone where not worked out yet
    int mUnderline = kNone;
};
