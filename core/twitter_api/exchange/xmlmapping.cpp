#include "twitter_api/exchange/xmlmapping.h"

#include <expat.h>

#include <climits>
#include <memory>
#include <new>
#include <type_traits>

namespace twitter_api {
namespace {

// Entity expansion may grow the document at most this many times over, once it has produced
// this many bytes; beyond that the parse fails instead of exhausting memory.
constexpr float kMaximumAmplification = 100.0F;
constexpr unsigned long long kAmplificationThreshold = 8ULL << 20;

struct ParserDeleter {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ParserPtr = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter>;

ParserPtr MakeParser() {
    ParserPtr parser(XML_ParserCreate(nullptr));
    if (!parser) {
        throw std::bad_alloc();
    }
    XML_SetBillionLaughsAttackProtectionMaximumAmplification(parser.get(), kMaximumAmplification);
    XML_SetBillionLaughsAttackProtectionActivationThreshold(parser.get(), kAmplificationThreshold);
    return parser;
}

std::string FailureMessage(XML_Parser parser) {
    return std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
           std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
           std::to_string(XML_GetCurrentColumnNumber(parser) + 1);
}

}  // namespace

// The state of one pass: the open elements with their slots, and the character data collected
// since the outermost open element started.
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
    };

    static void XMLCALL StartElement(void* pass, const XML_Char* name, const XML_Char**) {
        static_cast<Pass*>(pass)->Start(name);
    }
    static void XMLCALL EndElement(void* pass, const XML_Char*) { static_cast<Pass*>(pass)->End(); }
    static void XMLCALL CharacterData(void* pass, const XML_Char* text, int length) {
        static_cast<Pass*>(pass)->mText.append(text, static_cast<size_t>(length));
    }

    // The slot found at the start is the one used at the end: slots are never removed, so an
    // end handler stored in between is still found there.
    void Start(std::string_view name) {
        Slot& slot = mMapping.SlotFor(name);
        mOpen.push_back({&slot, mText.size()});
        if (slot.start) {
            // A copy, so that a handler may replace itself while it runs.
            Guarded([handler = slot.start] { handler(); });
        }
    }

    void End() {
        const OpenElement element = mOpen.back();
        mOpen.pop_back();
        if (element.slot->end) {
            const std::string_view text = std::string_view(mText).substr(element.textStart);
            Guarded([handler = element.slot->end, text] { handler(text); });
        }
        if (mOpen.empty()) {
            mText.clear();
        }
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
    std::string mText;
    std::exception_ptr mHandlerFailure;
};

void XmlMapping::OnStart(std::string_view element, StartHandler handler) {
    SlotFor(element).start = std::move(handler);
}

void XmlMapping::OnEnd(std::string_view element, EndHandler handler) {
    SlotFor(element).end = std::move(handler);
}

XmlMapping::Slot& XmlMapping::SlotFor(std::string_view element) {
    const auto found = mSlots.find(element);
    if (found != mSlots.end()) {
        return found->second;
    }
    return mSlots.emplace(std::string(element), Slot{}).first->second;
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
