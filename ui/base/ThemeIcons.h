#pragma once

#include <QIcon>
#include <QString>

// An icon of the program's own pictures with larger ones added from the desktop's icon theme, so
// that a scale factor above 1 draws sharp pictures: the own pictures stay the ones drawn at scale
// 1. A larger picture is made, and the theme looked up, when a scale above 1 first asks for it.
// Where the theme has no picture of that name, the own pictures serve every scale. hover: the
// larger pictures are lightened as the own hover pictures are.
QIcon WithThemeSizes(const QIcon& own, const QString& themeName, bool hover);
