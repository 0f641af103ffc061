#include "twitter_api/exchange/xmlrecords.h"

#include <climits>

#include "common/errors.h"

#include "twitter_api/exchange/expatparser.h"

namespace twitter_api {
namespace {

// The state of one pass: how deep the parser is, the record being built with its open elements,
// and how many elements too deep to keep are open.
class RecordPass {
  public:
    // An empty record name makes the root the one record.
    RecordPass(XML_Parser parser, std::string_view record,
               const std::function<void(const XmlElement&)>& onRecord)
        : mParser(parser), mRecordName(record), mOnRecord(onRecord) {
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &RecordPass::StartElement, &RecordPass::EndElement);
        XML_SetCharacterDataHandler(parser, &RecordPass::CharacterData);
    }

    std::exception_ptr HandlerFailure() const { return mHandlerFailure; }

  private:
    static void XMLCALL StartElement(void* pass, const XML_Char* name, const XML_Char**) {
        static_cast<RecordPass*>(pass)->Start(name);
    }
    static void XMLCALL EndElement(void* pass, const XML_Char*) {
        static_cast<RecordPass*>(pass)->End();
    }
    static void XMLCALL CharacterData(void* pass, const XML_Char* text, int length) {
        auto* self = static_cast<RecordPass*>(pass);
        if (!self->mOpen.empty() && self->mTooDeep == 0) {
            self->mOpen.back()->text.append(text, static_cast<size_t>(length));
        }
    }

    void Start(std::string_view name) {
        ++mDepth;
        if (mOpen.empty()) {
            const bool isRecord =
                mRecordName.empty() ? mDepth == 1 : mDepth > 1 && name == mRecordName;
            if (isRecord) {
                mRecord = XmlElement{std::string(name), {}, {}};
                mOpen.push_back(&mRecord);
            }
            return;
        }
        if (mTooDeep > 0 || mOpen.size() > kMaxRecordDepth) {
            ++mTooDeep;
            return;
        }
        // Only the newest child of an open element is open, so the pointers to the open elements
        // stay valid as children are added.
        XmlElement& parent = *mOpen.back();
        parent.children.push_back(XmlElement{std::string(name), {}, {}});
        mOpen.push_back(&parent.children.back());
    }

    void End() {
        --mDepth;
        if (mTooDeep > 0) {
            --mTooDeep;
            return;
        }
        if (mOpen.empty()) {
            return;
        }
        mOpen.pop_back();
        if (mOpen.empty()) {
            Hand();
        }
    }

    void Hand() {
        try {
            mOnRecord(mRecord);
        } catch (...) {
            mHandlerFailure = std::current_exception();
            XML_SetElementHandler(mParser, nullptr, nullptr);
            XML_SetCharacterDataHandler(mParser, nullptr);
        }
        mRecord = XmlElement();
    }

    XML_Parser mParser;
    std::string_view mRecordName;
    const std::function<void(const XmlElement&)>& mOnRecord;
    size_t mDepth = 0;
    XmlElement mRecord;
    std::vector<XmlElement*> mOpen;  // the record and its open elements, outermost first
    size_t mTooDeep = 0;
    std::exception_ptr mHandlerFailure;
};

}  // namespace

const XmlElement* XmlElement::Child(std::string_view childName) const {
    for (const XmlElement& child : children) {
        if (child.name == childName) {
            return &child;
        }
    }
    return nullptr;
}

std::string_view XmlElement::ChildText(std::string_view childName) const {
    const XmlElement* child = Child(childName);
    return child == nullptr ? std::string_view() : std::string_view(child->text);
}

namespace {

PassOutcome Read(std::string_view document, std::string_view record,
                 const std::function<void(const XmlElement&)>& onRecord) {
    if (document.size() > static_cast<size_t>(INT_MAX)) {
        return {"Document too large to parse", nullptr};
    }
    const ParserPtr parser = MakeParser();
    RecordPass pass(parser.get(), record, onRecord);
    PassOutcome outcome;
    if (XML_Parse(parser.get(), document.data(), static_cast<int>(document.size()), XML_TRUE) ==
        XML_STATUS_ERROR) {
        outcome.malformed = FailureMessage(parser.get());
    }
    outcome.handlerFailure = pass.HandlerFailure();
    return outcome;
}

}  // namespace

PassOutcome ReadRecords(std::string_view document, std::string_view record,
                        const std::function<void(const XmlElement&)>& onRecord) {
    Enforce(!record.empty(), "A record needs a name");
    return Read(document, record, onRecord);
}

std::optional<std::string> ReadDocumentTree(std::string_view document, XmlElement& root) {
    return Read(document, {}, [&root](const XmlElement& tree) { root = tree; }).malformed;
}

}  // namespace twitter_api
