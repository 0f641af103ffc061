#pragma once

#include <expat.h>

#include <memory>
#include <string>
#include <type_traits>

// The expat parser every reader of the service's documents uses, with the same guard against
// documents whose entities expand without bound.
namespace twitter_api {

struct ParserDeleter {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};
using ParserPtr = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter>;

// A parser without namespace processing: names are seen as written, prefix and all.
ParserPtr MakeParser();

// Why the parse failed, and where: "mismatched tag at line 3, column 5".
std::string FailureMessage(XML_Parser parser);

}  // namespace twitter_api
