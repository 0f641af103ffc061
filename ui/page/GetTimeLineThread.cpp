#include "page/GetTimeLineThread.h"

#include <algorithm>

#include "base/RequestFailure.h"
#include "common/errors.h"
#include "page/TabMain.h"
#include "settings/settinginfo.h"
#include "twitter_api/requests/timeline.h"

using namespace twitter_api;

namespace {

constexpr int32_t kStatusCount = 200;
constexpr int32_t kDirectMessageCount = 20;
constexpr int32_t kSearchResultsPerPage = 100;
constexpr int32_t kSearchPage = 1;

}  // namespace

CGetTimeLineThread::CGetTimeLineThread(CTabMain& page, const Service& service, ETabType kind,
                                       std::string param1, std::string param2)
    : mTabType(kind),
      mParam1(std::move(param1)),
      mParam2(std::move(param2)),
      mPage(page),
      mService(service),
      mSinceId(std::max(page.mYesterdayList->GetLastId(), page.mTodayList->GetLastId())),
      mCredential(gSetting->Credential()),
      mGeneration(page.Generation()) {
    Enforce(kind >= TIMELINE && kind <= SEARCH, "CGetTimeLineThread mTabType error");
}

bool CGetTimeLineThread::Fetch(std::vector<ContributionPtr>& out, RequestFailure& failure) const {
    switch (mTabType) {
        case TIMELINE:
            return GetUserPrivateTimeLine(mService, out, mCredential, mSinceId, kStatusCount,
                                          &failure);
        case MENTIONS:
            return GetUserMentions(mService, out, mCredential, mSinceId, kStatusCount, &failure);
        case DIRECTMESSAGES:
            return GetUserDirectMessage(mService, out, mCredential, mSinceId, kDirectMessageCount,
                                        &failure);
        case LISTS:
            return GetListTimeLine(mService, out, mParam1, mParam2, mCredential, mSinceId,
                                   kStatusCount, &failure);
        case SEARCH:
            return GetSearchTimeLine(mService, out, mCredential, mParam1, kSearchResultsPerPage,
                                     kSearchPage, &failure);
    }
    return false;
}

void CGetTimeLineThread::run() {
    std::vector<ContributionPtr> out;
    std::optional<SFailure> failed;
    try {
        RequestFailure failure;
        if (!Fetch(out, failure)) {
            if (failure.message.empty()) {
                // Kept in English: the text also goes to the diagnostics, which never change with
                // the interface language.
                failure = {FailureKind::NotADocument, "The response could not be read"};
            }
            failed = FailureOf(failure);
        }
    } catch (...) {
        // A network or conversion failure: the page shows it and writes it to the diagnostics.
        failed = CurrentFailure();
    }
    mPage.StoreGetResult(mGeneration, std::move(out), std::move(failed));
    mHandedOver = true;
}
