#include "base/IconShelf.h"

#include "base/PictureBox.h"

const QIcon& IconShelf::Load(const std::string& path) {
    auto found = mIcons.find(path);
    if (found == mIcons.end()) {
        found = mIcons.emplace(path, LoadIconFile(path)).first;
    }
    return found->second;
}
