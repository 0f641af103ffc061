#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "twitter_api/model/contribution.h"

namespace twitter_api {

// The contributions of one timeline for one day, oldest first; the unit that is logged.
class CContributionListOfDay : public serialization::Object {
  public:
    CContributionListOfDay() = default;
    explicit CContributionListOfDay(std::string date) : mDate(std::move(date)) {}

    virtual int32_t GetCount() const;
    virtual int32_t GetContributionCount() const;
    virtual int32_t GetUnreadCount() const;
    // The id of the last contribution added (not the largest), or -1 for an empty list.
    virtual int64_t GetLastId() const;

    void transferFields(serialization::Serializer& archive);

    std::string mDate;
    std::vector<ContributionPtr> mContributions;
};

using ContributionListPtr = std::shared_ptr<CContributionListOfDay>;

}  // namespace twitter_api
