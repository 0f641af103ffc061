#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace twitter_api {

// What one pass over a document found.
struct PassOutcome {
    // Why the document is not well-formed XML; empty when it is.
    std::optional<std::string> malformed;
    // The first exception a handler threw; no handler ran after it.
    std::exception_ptr handlerFailure;
};

// Maps a document onto records as its elements go by. Handlers are kept in two tables, one for
// element starts and one for element ends, keyed by the element name exactly as written (a
// namespace prefix is part of the name). The tables are consulted for elements at every depth;
// storing a handler under a name replaces the one stored there before, and nothing is ever
// removed, so a handler stays in force until something stores another under its name. Handlers
// typically store further handlers, bound to the record they have just begun.
class XmlMapping {
  public:
    using StartHandler = std::function<void()>;
    // text: the element's own character content (that of its child elements is theirs), with the
    // predefined entities and character references resolved; empty for an empty element.
    using EndHandler = std::function<void(std::string_view text)>;

    XmlMapping();
    // The name table points into the slots, so a mapping stays where it was made.
    XmlMapping(const XmlMapping&) = delete;
    XmlMapping& operator=(const XmlMapping&) = delete;

    void OnStart(std::string_view element, StartHandler handler);
    void OnEnd(std::string_view element, EndHandler handler);

    // One pass over the whole document that checks it and runs the handlers at once. Once a
    // handler throws, no handler runs again, but the check goes on to the end of the document.
    PassOutcome Run(std::string_view document);

  private:
    class Pass;

    struct Slot {
        std::string name;
        StartHandler start;
        EndHandler end;
    };
    // An element name as its length and two words that hold all of its bytes when it is at most
    // 16 bytes long (overlapping for shorter names), so that most names compare in three steps.
    struct NameKey {
        size_t length = 0;
        uint64_t head = 0;
        uint64_t tail = 0;
        bool operator==(const NameKey&) const = default;
    };
    struct Bucket {
        NameKey key;
        uint64_t hash = 0;
        Slot* slot = nullptr;  // null: free
    };

    // The slot of an element name, made empty the first time a handler is stored under it. Only
    // handler names get slots, never the names a document brings, so no document can fill or
    // degrade the table. Slots are never removed and their addresses never change.
    Slot& SlotFor(std::string_view element);
    // The slot of a name that has one, or null. Every element of a document is looked up.
    Slot* Find(std::string_view element) const;
    static NameKey KeyOf(std::string_view name);
    // A hash over every byte of the name, seeded per mapping so that a document cannot be made
    // to collide in advance.
    uint64_t HashOf(const NameKey& key, std::string_view name) const;
    void Grow();

    uint64_t mSeed;
    std::deque<Slot> mSlots;
    std::vector<Bucket> mBuckets = std::vector<Bucket>(64);  // a power of two, at most half full
};

// The well-formedness check alone: why the document is not well-formed XML, or nothing.
std::optional<std::string> CheckWellFormed(std::string_view document);

// Hands over what a pass built as if the document had been checked first and parsed after: from
// a document that is not well-formed, nothing (its failure message is returned); from a
// well-formed one, every record built is appended to out, and then the first handler exception,
// if there was one, is rethrown.
template <typename Record>
std::optional<std::string> Publish(const PassOutcome& outcome, std::vector<Record>& built,
                                   std::vector<Record>& out) {
    if (outcome.malformed) {
        return outcome.malformed;
    }
    out.insert(out.end(), std::make_move_iterator(built.begin()),
               std::make_move_iterator(built.end()));
    if (outcome.handlerFailure) {
        std::rethrow_exception(outcome.handlerFailure);
    }
    return std::nullopt;
}

}  // namespace twitter_api
