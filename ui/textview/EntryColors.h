#pragma once

#include <QColor>

// The colours of a timeline entry, shared by rendering and by the actions that recolour names and
// stars later.
inline const QColor kUnreadName(246, 140, 31);
inline const QColor kReadName(156, 191, 225);
inline const QColor kDateLine(128, 128, 128);
inline const QColor kFavoriteStar(255, 215, 0);
inline const QColor kHiddenStar(34, 34, 34);  // the box's background, so the star disappears
// Behind the entry that holds the caret, across the box's width: the entry the actions act on.
inline const QColor kCurrentEntryBand(58, 64, 76);
