#pragma once

#include <QWidget>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "base/ServiceCalls.h"
#include "base/UiContext.h"
#include "twitter_api/search/matcher.h"
#include "twitter_api/search/searchhit.h"

class TimelineView;

// The hits of a history search, newest first, in the same text box and look as a page's entries,
// with the words the query looks for highlighted. The hits are copies: nothing done here reaches
// a page or its logs. Hits are rendered a few at a time, between the interface's other events.
// Enter or a double click opens the links of the hit at the caret, as a click on a link does;
// replies and favourites work on that hit as on a page.
class CSearchResults : public QWidget {
    Q_OBJECT

  public:
    explicit CSearchResults(const UiContext& context, QWidget* parent = nullptr);
    ~CSearchResults() override;

    // Forgets the hits shown and to be shown; those added later are highlighted for matcher.
    void Clear(std::shared_ptr<const twitter_api::CQueryMatcher> matcher);
    // Hits that follow those added before.
    void Add(std::vector<twitter_api::SSearchHit>& hits);
    // The hits in the box, and whether some still wait to go in.
    size_t ShownCount() const { return mShown.size(); }
    bool Rendering() const { return !mWaiting.empty(); }
    const twitter_api::SSearchHit& ShownHit(size_t index) const { return mShown[index].hit; }
    int32_t ShownStart(size_t index) const { return mShown[index].start; }

    void OpenLinksAtCaret();
    void ReplyToSelected();
    void ToggleFavorite();

    TimelineView* txtResults = nullptr;

  signals:
    // Hits have gone into the box (the first paint follows).
    void Rendered();
    // A favourite could not be changed; the message says why.
    void ActionFailed(const QString& message);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct SShown {
        twitter_api::SSearchHit hit;
        int32_t start;
        int32_t end;
    };

    // Asks to render waiting hits once the events waiting meanwhile are handled.
    void PostRender();
    void RenderSome();
    void Highlight(const twitter_api::CContribution& entry, int32_t start);
    // The index of the hit whose entry holds the caret, or nothing.
    std::optional<size_t> HitAtCaret() const;
    // The change of the favourite flag of the status (or the direct message) id has ended.
    void ApplyFavorite(int64_t id, bool message, uint64_t generation, CallOutcome<bool> outcome);

    UiContext mContext;
    std::shared_ptr<const twitter_api::CQueryMatcher> mMatcher;
    std::deque<twitter_api::SSearchHit> mWaiting;
    std::vector<SShown> mShown;
    bool mRenderPosted = false;
    bool mFavoriteRunning = false;  // one change at a time, as on a page
    uint64_t mGeneration = 0;       // counts the clears
    ServiceCalls mCalls{this};      // declared last: gone first, waiting for its threads
};
