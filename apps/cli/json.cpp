#include "json.h"

nlohmann::ordered_json ToJson(const twitter_api::CContribution& c) {
    return {{"id", c.mId},
            {"created_at", c.mCreatedAt},
            {"screen_name", c.mScreenName},
            {"name", c.mName},
            {"text", c.mText},
            {"favorited", c.mFavorited},
            {"source", c.mSource},
            {"is_read", c.mIsRead},
            {"text_position", c.mTextPosition},
            {"user_name_show_type", UserNameShowTypeJson(c.mUserNameShowType)}};
}

// Stored choices are named; a value the program never writes is shown as the number it is.
nlohmann::ordered_json UserNameShowTypeJson(int32_t value) {
    switch (value) {
        case DialogSetting::SCREENNAME:
            return "SCREENNAME";
        case DialogSetting::NICKNAME:
            return "NICKNAME";
    }
    return value;
}

nlohmann::ordered_json AutoReloadTypeJson(int32_t value) {
    switch (value) {
        case DialogSetting::EVERY3MINUTES:
            return "EVERY3MINUTES";
        case DialogSetting::NONE:
            return "NONE";
    }
    return value;
}

std::string Print(const nlohmann::ordered_json& value, int indent) {
    return value.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}
