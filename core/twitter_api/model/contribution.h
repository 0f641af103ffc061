#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "serialization/object.h"
#include "serialization/textfield.h"
#include "settings/usernameshowtype.h"

namespace serialization {
class Serializer;
}

namespace twitter_api {

// One status, direct message or search result, with what the tab remembers of it: whether it has
// been read and where its entry starts in the rendered timeline.
class CContribution : public serialization::Object {
  public:
    int64_t mId = 0;
    serialization::TextField mCreatedAt;
    serialization::TextField mScreenName;
    serialization::TextField mName;
    serialization::TextField mText;
    bool mFavorited = false;
    serialization::TextField mSource;
    int32_t mTextPosition = 0;
    DialogSetting::EUserNameShowType mUserNameShowType = DialogSetting::SCREENNAME;
    bool mIsRead = false;
    // The status this one answers, 0 for none. Not part of the log record, whose fields are fixed:
    // the account's in_reply_to side file keeps it (logstore/sidefiles.h).
    int64_t mInReplyToStatusId = 0;

    // The name its entry shows: the screen name or the name, as mUserNameShowType says.
    std::string_view ShownName() const {
        return mUserNameShowType == DialogSetting::SCREENNAME ? mScreenName.view() : mName.view();
    }

    // The log record: the read flag goes out twice, after mSource and at the end, as every existing
    // log file holds it; on reading, the second copy is the one that stays. Text fields read from a
    // log view its image, which the block the contribution was built in keeps alive.
    void transferFields(serialization::Serializer& archive);

  private:
    // Reads a record that the image holds whole, its text fields viewing the image; false, with
    // the archive's place unchanged, for a record cut by the file's end.
    bool readWhole(serialization::Serializer& archive);
};

using ContributionPtr = std::shared_ptr<CContribution>;

}  // namespace twitter_api
