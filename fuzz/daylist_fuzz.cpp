// A day's log loaded from any bytes: it loads or fails with the program's own failures, and a day
// that loads saves and loads again to the same records.
#include "common/errors.h"
#include "settings/settinginfo.h"
#include "support.h"
#include "twitter_api/archivableclasses.h"
#include "twitter_api/logstore/logstore.h"

namespace {

using twitter_api::CContribution;
using twitter_api::ContributionListPtr;

void CheckSameRecord(const CContribution& a, const CContribution& b) {
    FUZZ_CHECK(a.mId == b.mId);
    FUZZ_CHECK(a.mCreatedAt.view() == b.mCreatedAt.view());
    FUZZ_CHECK(a.mScreenName.view() == b.mScreenName.view());
    FUZZ_CHECK(a.mName.view() == b.mName.view());
    FUZZ_CHECK(a.mText.view() == b.mText.view());
    FUZZ_CHECK(a.mFavorited == b.mFavorited);
    FUZZ_CHECK(a.mSource.view() == b.mSource.view());
    FUZZ_CHECK(a.mIsRead == b.mIsRead);
    FUZZ_CHECK(a.mTextPosition == b.mTextPosition);
    FUZZ_CHECK(a.mUserNameShowType == b.mUserNameShowType);
}

// Same records in the same order, and the same object wherever the first list repeats one.
void CheckSameDay(const ContributionListPtr& a, const ContributionListPtr& b) {
    FUZZ_CHECK(a->mDate == b->mDate);
    const auto& x = a->mContributions;
    const auto& y = b->mContributions;
    FUZZ_CHECK(x.size() == y.size());
    for (size_t i = 0; i < x.size(); ++i) {
        CheckSameRecord(*x[i], *y[i]);
        for (size_t j = 0; j < i; ++j) {
            FUZZ_CHECK((x[i] == x[j]) == (y[i] == y[j]));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzing::MakeArgumentsAbsolute(argc, argv);
    fuzzing::EnterScratchFolder();
    twitter_api::RegisterArchivableClasses();  // as start-up does
    gSetting = std::make_shared<DialogSetting::CSettingInfo>();
    gSetting->SetCredential(DialogSetting::MakeCredential("fuzz", "pw"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::filesystem::remove_all("log");  // each input's saves start from an empty log
    twitter_api::CreateLogDirectories();
    fuzzing::WriteFile("log/fuzz/timeline/20100405.dat", fuzzing::Bytes(data, size));
    ContributionListPtr loaded;
    try {
        loaded = twitter_api::LoadLog("20100405", twitter_api::TIMELINE, "");
    } catch (const Exception&) {
        return 0;
    } catch (const Error&) {
        return 0;
    }
    FUZZ_CHECK(loaded != nullptr);
    twitter_api::SaveLog(loaded, twitter_api::TIMELINE, "");
    if (loaded->mContributions.empty()) {
        return 0;  // an empty day is never written
    }
    CheckSameDay(loaded, twitter_api::LoadLog(loaded->mDate, twitter_api::TIMELINE, ""));
    return 0;
}
