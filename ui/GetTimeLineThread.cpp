#include "GetTimeLineThread.h"

#include <algorithm>

#include "TabMain.h"
#include "common/errors.h"
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
      mCredential(gSetting->Credential()) {
    Enforce(kind >= TIMELINE && kind <= SEARCH, "CGetTimeLineThread mTabType error");
}

std::vector<ContributionPtr> CGetTimeLineThread::Fetch() const {
    std::vector<ContributionPtr> out;
    switch (mTabType) {
        case TIMELINE:
            GetUserPrivateTimeLine(mService, out, mCredential, mSinceId, kStatusCount);
            break;
        case MENTIONS:
            GetUserMentions(mService, out, mCredential, mSinceId, kStatusCount);
            break;
        case DIRECTMESSAGES:
            GetUserDirectMessage(mService, out, mCredential, mSinceId, kDirectMessageCount);
            break;
        case LISTS:
            GetListTimeLine(mService, out, mParam1, mParam2, mCredential, mSinceId, kStatusCount);
            break;
        case SEARCH:
            GetSearchTimeLine(mService, out, mParam1, kSearchResultsPerPage, kSearchPage);
            break;
    }
    return out;
}

void CGetTimeLineThread::run() {
    try {
        mPage.StoreGetResult(Fetch());
    } catch (...) {
        // A network or conversion failure: the fetch ends without a result, and the page only
        // notices that the thread has ended.
    }
}
