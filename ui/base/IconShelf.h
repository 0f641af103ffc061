#pragma once

#include <QIcon>
#include <map>
#include <string>

// The icons read from icon files, each file read once: every page shows the same tool bar
// pictures, and reading and decoding them again for each page delayed the window's first paint.
class IconShelf {
  public:
    // The icon of path, read as LoadIconFile reads it the first time it is asked for; a file
    // that fails is not kept, so asking again reads it again.
    const QIcon& Load(const std::string& path);

  private:
    std::map<std::string, QIcon, std::less<>> mIcons;
};
