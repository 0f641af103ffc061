#pragma once

#include <QThread>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "twitter_api/exchange/failure.h"
#include "twitter_api/exchange/service.h"
#include "twitter_api/model/contribution.h"
#include "twitter_api/model/tabtype.h"

class CTabMain;

// One fetch of a page's timeline, off the interface thread. Everything the request needs from the
// page and the settings (the since id, the credential, the page's generation) is read when the
// thread is made, on the interface thread; the thread's only way back is CTabMain::StoreGetResult,
// which takes the contributions or, for a request that failed, why it failed.
class CGetTimeLineThread : public QThread {
  public:
    // param1: the list's owner, or the search query already URL-encoded; param2: the list's name.
    CGetTimeLineThread(CTabMain& page, const twitter_api::Service& service,
                       twitter_api::ETabType kind, std::string param1, std::string param2);

    // True once the result has been handed over: the thread is about to end.
    bool HandedOver() const { return mHandedOver.load(); }
    // The page's generation the fetch was made for.
    uint64_t Generation() const { return mGeneration; }

    twitter_api::ETabType mTabType;
    std::string mParam1;
    std::string mParam2;

  protected:
    void run() override;

  private:
    // False when the service refused the request or its answer was no document; failure says why.
    bool Fetch(std::vector<twitter_api::ContributionPtr>& out,
               twitter_api::RequestFailure& failure) const;

    CTabMain& mPage;
    twitter_api::Service mService;
    int64_t mSinceId;
    std::string mCredential;
    uint64_t mGeneration;
    std::atomic<bool> mHandedOver{false};
};
