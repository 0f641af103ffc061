#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "twitter_api/exchange/xmlrecords.h"

namespace {

using namespace twitter_api;

// The records' names and the texts of their direct children, as "name: a=1 b=2".
std::vector<std::string> Outline(std::string_view document, std::string_view record) {
    std::vector<std::string> outline;
    const PassOutcome outcome = ReadRecords(document, record, [&](const XmlElement& element) {
        std::string line = element.name + ":";
        for (const XmlElement& child : element.children) {
            line += " " + child.name + "=" + child.text;
        }
        outline.push_back(line);
    });
    EXPECT_EQ(outcome.malformed, std::nullopt);
    EXPECT_EQ(outcome.handlerFailure, nullptr);
    return outline;
}

TEST(XmlRecords, ARecordIsTheOutermostElementOfItsNameBelowTheRoot) {
    struct Case {
        const char* name;
        std::string document;
        std::vector<std::string> outline;
        const char* record = "status";
    };
    const Case cases[] = {
        {"records under the root",
         "<statuses><status><id>2</id></status><status><id>1</id></status></statuses>",
         {"status: id=2", "status: id=1"}},
        {"records one level deeper, beside other elements",
         "<statuses_list><statuses><status><id>2</id></status></statuses>"
         "<next_cursor>0</next_cursor></statuses_list>",
         {"status: id=2"}},
        {"a root of the record's name is no record", "<status><id>7</id></status>", {}},
        {"a record of the root's own name below it",
         "<terms><terms><name>a</name></terms></terms>",
         {"terms: name=a"},
         "terms"},
        {"a nested element of the record's name stays inside it",
         "<statuses><status><id>1</id><user><status><id>9</id></status></user>"
         "<retweeted_status><id>5</id></retweeted_status></status></statuses>",
         {"status: id=1 user= retweeted_status="}},
        {"a prefix is part of the name, a default namespace changes nothing",
         "<statuses xmlns=\"http://api.twitter.com\" xmlns:friendica=\"x\"><status>"
         "<friendica:author><name>d</name></friendica:author><text>a &amp; &#xE9;</text>"
         "</status></statuses>",
         {"status: friendica:author= text=a & \xC3\xA9"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Outline(c.document, c.record), c.outline);
    }
}

TEST(XmlRecords, ChildrenAreFoundByNameAndDeepNestingIsCutOff) {
    std::string deep = "<a><r><c>text</c>";
    for (size_t i = 0; i < kMaxRecordDepth + 4; ++i) {
        deep += "<n>";
    }
    deep += "deep";
    for (size_t i = 0; i < kMaxRecordDepth + 4; ++i) {
        deep += "</n>";
    }
    deep += "<c>second</c></r></a>";
    size_t depth = 0;
    std::string firstText;
    const PassOutcome outcome = ReadRecords(deep, "r", [&](const XmlElement& record) {
        firstText = std::string(record.ChildText("c"));
        EXPECT_EQ(record.Child("missing"), nullptr);
        EXPECT_EQ(record.ChildText("missing"), "");
        for (const XmlElement* at = record.Child("n"); at != nullptr; at = at->Child("n")) {
            ++depth;
        }
        EXPECT_EQ(record.children.size(), 3U);
    });
    EXPECT_EQ(outcome.malformed, std::nullopt);
    EXPECT_EQ(firstText, "text");
    EXPECT_EQ(depth, kMaxRecordDepth);
}

TEST(XmlRecords, AMalformedDocumentIsReportedAndAFailingHandlerStopsTheRecords) {
    EXPECT_EQ(ReadRecords("<a><r></a>", "r", [](const XmlElement&) {}).malformed,
              "mismatched tag at line 1, column 9");
    int handed = 0;
    const PassOutcome outcome =
        ReadRecords("<a><r/><r/><r/></a>", "r", [&handed](const XmlElement&) {
            ++handed;
            throw std::runtime_error("stop");
        });
    EXPECT_EQ(handed, 1);
    EXPECT_EQ(outcome.malformed, std::nullopt);
    EXPECT_NE(outcome.handlerFailure, nullptr);
    XmlElement root;
    EXPECT_EQ(ReadDocumentTree("<config><site><textlimit>1000</textlimit></site></config>", root),
              std::nullopt);
    EXPECT_EQ(root.name, "config");
    ASSERT_NE(root.Child("site"), nullptr);
    EXPECT_EQ(root.Child("site")->ChildText("textlimit"), "1000");
}

}  // namespace
