#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "twitter_api/exchange/xmlmapping.h"

// Reads a document as a series of records, each handed over whole as a small tree, so that a
// mapping can tell an element of the record itself from one of the same name in a block nested
// inside it (the user of a status, or the status it repeats).
namespace twitter_api {

// One element: its name as written (a namespace prefix is part of it), its own character content
// with the predefined entities and character references resolved (that of its child elements is
// theirs), and its child elements in document order.
struct XmlElement {
    std::string name;
    std::string text;
    std::vector<XmlElement> children;

    // The first child element of that name, or null.
    const XmlElement* Child(std::string_view childName) const;
    // The text of the first child element of that name; empty when there is none.
    std::string_view ChildText(std::string_view childName) const;
};

// Elements nested deeper than this below a record are left out of its tree (the documents go four
// levels deep), so that no document can make a tree too deep to take apart.
inline constexpr size_t kMaxRecordDepth = 16;

// One pass over the whole document that checks it and hands every record to onRecord once it has
// ended: an element named `record` below the root that is not inside another record. Once
// onRecord throws, no record is handed over again, but the check goes on to the end of the
// document; the outcome tells both.
PassOutcome ReadRecords(std::string_view document, std::string_view record,
                        const std::function<void(const XmlElement&)>& onRecord);

// The whole of a small document as one tree, its root element with everything below it; why the
// document is not well-formed XML when it is not.
std::optional<std::string> ReadDocumentTree(std::string_view document, XmlElement& root);

}  // namespace twitter_api
