#include "twitter_api/exchange/xmlmapping.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>

#include "twitter_api/exchange/expatparser.h"

namespace twitter_api {
namespace {

// Character data arrives in many small pieces (a line end, an indentation, a value); a plain
// buffer makes each piece a single copy.
class TextBuffer {
  public:
    TextBuffer() : mData(std::make_unique<char[]>(256)), mCapacity(256) {}

    void Append(const char* text, size_t length) {
        if (length > mCapacity - mSize) {
            Grow(mSize + length);
        }
        if (length == 1) {
            mData[mSize] = *text;  // a line end: most pieces are
        } else {
            std::memcpy(mData.get() + mSize, text, length);
        }
        mSize += length;
    }
    size_t Size() const { return mSize; }
    std::string_view From(size_t start) const { return {mData.get() + start, mSize - start}; }
    void Truncate(size_t size) { mSize = size; }

  private:
    void Grow(size_t needed) {
        const size_t capacity = std::max(needed, mCapacity * 2);
        auto data = std::make_unique<char[]>(capacity);
        std::memcpy(data.get(), mData.get(), mSize);
        mData = std::move(data);
        mCapacity = capacity;
    }

    std::unique_ptr<char[]> mData;
    size_t mCapacity;
    size_t mSize = 0;
};

}  // namespace

// The state of one pass: the open elements with their slots, and the character data of the open
// elements, each element's own after its parent's. An element's text is dropped at its end, so
// the buffer holds only what the open elements have said so far.
class XmlMapping::Pass {
  public:
    Pass(XmlMapping& mapping, XML_Parser parser) : mMapping(mapping), mParser(parser) {
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &Pass::StartElement, &Pass::EndElement);
        XML_SetCharacterDataHandler(parser, &Pass::CharacterData);
    }

    std::exception_ptr HandlerFailure() const { return mHandlerFailure; }

  private:
    struct OpenElement {
        Slot* slot;
        size_t textStart;
        size_t slotsAtStart;  // how many slots the mapping had when the element started
    };

    static void XMLCALL StartElement(void* pass, const XML_Char* name, const XML_Char**) {
        static_cast<Pass*>(pass)->Start(name);
    }
    static void XMLCALL EndElement(void* pass, const XML_Char* name) {
        static_cast<Pass*>(pass)->End(name);
    }
    static void XMLCALL CharacterData(void* pass, const XML_Char* text, int length) {
        static_cast<Pass*>(pass)->mText.Append(text, static_cast<size_t>(length));
    }

    // The slot found at the start is the one used at the end: slots are never removed, so an
    // end handler stored in between is still found there. A name without a slot at its start is
    // looked up again at its end when slots were added meanwhile.
    void Start(std::string_view name) {
        Slot* slot = mMapping.Find(name);
        mOpen.push_back({slot, mText.Size(), mMapping.mSlots.size()});
        if (slot != nullptr && slot->start) {
            // A copy, so that a handler may replace itself while it runs.
            Guarded([handler = slot->start] { handler(); });
        }
    }

    void End(std::string_view name) {
        OpenElement element = mOpen.back();
        mOpen.pop_back();
        if (element.slot == nullptr && mMapping.mSlots.size() != element.slotsAtStart) {
            element.slot = mMapping.Find(name);
        }
        if (element.slot != nullptr && element.slot->end) {
            const std::string_view text = mText.From(element.textStart);
            Guarded([handler = element.slot->end, text] { handler(text); });
        }
        mText.Truncate(element.textStart);
    }

    template <typename Call>
    void Guarded(const Call& call) {
        try {
            call();
        } catch (...) {
            mHandlerFailure = std::current_exception();
            Silence();
        }
    }

    // After the first failure only the check goes on.
    void Silence() {
        XML_SetElementHandler(mParser, nullptr, nullptr);
        XML_SetCharacterDataHandler(mParser, nullptr);
    }

    XmlMapping& mMapping;
    XML_Parser mParser;
    std::vector<OpenElement> mOpen;
    TextBuffer mText;
    std::exception_ptr mHandlerFailure;
};

void XmlMapping::OnStart(std::string_view element, StartHandler handler) {
    SlotFor(element).start = std::move(handler);
}

void XmlMapping::OnEnd(std::string_view element, EndHandler handler) {
    SlotFor(element).end = std::move(handler);
}

XmlMapping::XmlMapping() {
    std::random_device device;
    mSeed = uint64_t{device()} << 32 | device();
}

XmlMapping::NameKey XmlMapping::KeyOf(std::string_view name) {
    const char* bytes = name.data();
    const size_t length = name.size();
    NameKey key{length, 0, 0};
    if (length >= 8) {
        std::memcpy(&key.head, bytes, 8);
        std::memcpy(&key.tail, bytes + length - 8, 8);
    } else if (length >= 4) {
        uint32_t head = 0;
        uint32_t tail = 0;
        std::memcpy(&head, bytes, 4);
        std::memcpy(&tail, bytes + length - 4, 4);
        key.head = head;
        key.tail = tail;
    } else if (length > 0) {
        const auto byte = [bytes](size_t at) {
            return uint64_t{static_cast<unsigned char>(bytes[at])};
        };
        key.head = byte(0) | byte(length / 2) << 8 | byte(length - 1) << 16;
    }
    return key;
}

uint64_t XmlMapping::HashOf(const NameKey& key, std::string_view name) const {
    constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    const auto mix = [](uint64_t value) {
        value ^= value >> 32;
        value *= 0xD6E8FEB86659FD93ULL;
        return value ^ (value >> 32);
    };
    uint64_t hash = (key.head ^ mSeed) * kMultiplier ^ (key.tail + key.length) * mSeed;
    // A longer name has bytes outside its key: every one of them goes in too.
    for (size_t at = 8; at + 8 < key.length; at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, name.data() + at, 8);
        hash = (mix(hash) ^ word) * kMultiplier;
    }
    return mix(hash);
}

XmlMapping::Slot* XmlMapping::Find(std::string_view element) const {
    const NameKey key = KeyOf(element);
    const uint64_t hash = HashOf(key, element);
    const size_t mask = mBuckets.size() - 1;
    for (size_t index = hash & mask; mBuckets[index].slot != nullptr; index = (index + 1) & mask) {
        const Bucket& bucket = mBuckets[index];
        // A key holds every byte of a name of up to 16 bytes.
        if (bucket.key == key && (key.length <= 16 || bucket.slot->name == element)) {
            return bucket.slot;
        }
    }
    return nullptr;
}

XmlMapping::Slot& XmlMapping::SlotFor(std::string_view element) {
    if (Slot* slot = Find(element)) {
        return *slot;
    }
    const NameKey key = KeyOf(element);
    Slot& slot = mSlots.emplace_back(Slot{std::string(element), nullptr, nullptr});
    const size_t mask = mBuckets.size() - 1;
    size_t index = HashOf(key, element) & mask;
    while (mBuckets[index].slot != nullptr) {
        index = (index + 1) & mask;
    }
    mBuckets[index] = {key, HashOf(key, element), &slot};
    if (mSlots.size() * 2 > mBuckets.size()) {
        Grow();
    }
    return slot;
}

void XmlMapping::Grow() {
    std::vector<Bucket> buckets(mBuckets.size() * 2);
    const size_t mask = buckets.size() - 1;
    for (const Bucket& bucket : mBuckets) {
        if (bucket.slot == nullptr) {
            continue;
        }
        size_t index = bucket.hash & mask;
        while (buckets[index].slot != nullptr) {
            index = (index + 1) & mask;
        }
        buckets[index] = bucket;
    }
    mBuckets = std::move(buckets);
}

PassOutcome XmlMapping::Run(std::string_view document) {
    if (document.size() > static_cast<size_t>(INT_MAX)) {
        return {"Document too large to parse", nullptr};
    }
    const ParserPtr parser = MakeParser();
    Pass pass(*this, parser.get());
    PassOutcome outcome;
    if (XML_Parse(parser.get(), document.data(), static_cast<int>(document.size()), XML_TRUE) ==
        XML_STATUS_ERROR) {
        outcome.malformed = FailureMessage(parser.get());
    }
    outcome.handlerFailure = pass.HandlerFailure();
    return outcome;
}

std::optional<std::string> CheckWellFormed(std::string_view document) {
    return XmlMapping().Run(document).malformed;
}

}  // namespace twitter_api
