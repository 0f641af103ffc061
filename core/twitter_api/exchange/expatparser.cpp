#include "twitter_api/exchange/expatparser.h"

#include <new>

namespace twitter_api {
namespace {

// Entity expansion may grow the document at most this many times over, once it has produced
// this many bytes; beyond that the parse fails instead of exhausting memory.
constexpr float kMaximumAmplification = 100.0F;
constexpr unsigned long long kAmplificationThreshold = 8ULL << 20;

}  // namespace

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

}  // namespace twitter_api
