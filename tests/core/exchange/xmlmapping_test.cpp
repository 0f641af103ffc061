#include "twitter_api/exchange/xmlmapping.h"

#include <gtest/gtest.h>

#include "common/errors.h"
#include "twitter_api/exchange/exchange.h"

namespace {

using namespace twitter_api;

std::string Document(const std::string& root) {
    return std::string(XmlProlog) + root + "\n";
}

TEST(XmlMapping, HandlersApplyAtEveryDepthAndAreReplacedWhenStoredAgain) {
    XmlMapping mapping;
    std::vector<std::string> seen;
    mapping.OnEnd("a",
                  [&seen](std::string_view text) { seen.push_back("first " + std::string(text)); });
    mapping.OnStart("b", [&] {
        mapping.OnEnd(
            "a", [&seen](std::string_view text) { seen.push_back("second " + std::string(text)); });
    });
    const PassOutcome outcome =
        mapping.Run(Document("<r><a>1</a><x><y><a>2</a></y></x><b/><a>3</a><x><a>4</a></x></r>"));
    EXPECT_FALSE(outcome.malformed);
    EXPECT_FALSE(outcome.handlerFailure);
    EXPECT_EQ(seen, (std::vector<std::string>{"first 1", "first 2", "second 3", "second 4"}));
}

TEST(XmlMapping, NamesThatDifferAnywhereKeepTheirOwnHandlers) {
    // Same lengths, and for the long ones the same first and last eight bytes; enough names to
    // make the table grow several times.
    std::vector<std::string> names = {"a",
                                      "b",
                                      "ab",
                                      "ba",
                                      "abc",
                                      "acc",
                                      "abcd",
                                      "abce",
                                      "abcdefg",
                                      "abcdefh",
                                      "abcdefgh",
                                      "abcdefgi",
                                      "profile_background_color_x",
                                      "profile_background_color_y",
                                      "profile_text_A_color_link",
                                      "profile_text_B_color_link"};
    for (int i = 0; i < 100; ++i) {
        names.push_back("n" + std::to_string(i));
    }
    XmlMapping mapping;
    std::vector<std::string> seen;
    std::string body = "<r>";
    for (const auto& name : names) {
        mapping.OnEnd(name, [&seen, name](std::string_view text) {
            seen.push_back(name + "=" + std::string(text));
        });
        body += "<" + name + ">" + name + "</" + name + ">";
    }
    ASSERT_FALSE(mapping.Run(Document(body + "</r>")).malformed);
    ASSERT_EQ(seen.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(seen[i], names[i] + "=" + names[i]);
    }
}

TEST(XmlMapping, TextIsTheCharacterContentWithReferencesResolved) {
    XmlMapping mapping;
    std::vector<std::string> seen;
    for (const char* name : {"t", "e", "p", "c"}) {
        mapping.OnEnd(name, [&seen, name](std::string_view text) {
            seen.push_back(std::string(name) + "=" + std::string(text));
        });
    }
    mapping.Run(
        Document("<r><t>a &amp; b &lt;&gt; &quot;&apos; &#233;&#x41; &amp;#65;</t><e/><e></e>"
                 "<p>x<q>y</q>z</p><c><![CDATA[<raw>&amp;]]></c></r>"));
    EXPECT_EQ(seen, (std::vector<std::string>{"t=a & b <> \"' \xC3\xA9"
                                              "A &#65;",
                                              "e=", "e=", "p=xz", "c=<raw>&amp;"}));
}

TEST(XmlMapping, NamespacePrefixIsPartOfTheName) {
    XmlMapping mapping;
    std::vector<std::string> plain;
    std::vector<std::string> prefixed;
    mapping.OnEnd("source", [&plain](std::string_view text) { plain.emplace_back(text); });
    mapping.OnEnd("twitter:source",
                  [&prefixed](std::string_view text) { prefixed.emplace_back(text); });
    mapping.Run(
        Document("<feed xmlns='http://www.w3.org/2005/Atom' xmlns:twitter='urn:t'>"
                 "<twitter:source>a</twitter:source><source>b</source></feed>"));
    EXPECT_EQ(plain, std::vector<std::string>{"b"});
    EXPECT_EQ(prefixed, std::vector<std::string>{"a"});
}

TEST(XmlMapping, AHandlerMayReplaceItselfWhileRunning) {
    XmlMapping mapping;
    int count = 0;
    mapping.OnStart("a", [&] {
        count += 1;
        mapping.OnStart("a", [&count] { count += 10; });
    });
    mapping.Run(Document("<r><a/><a/><a/></r>"));
    EXPECT_EQ(count, 21);
}

TEST(XmlMapping, NoHandlerRunsAfterTheFirstException) {
    XmlMapping mapping;
    std::vector<std::string> seen;
    mapping.OnEnd("a", [&seen](std::string_view text) {
        seen.emplace_back(text);
        if (text == "2") {
            throw Exception("first");
        }
        if (text == "3") {
            throw Exception("second");
        }
    });
    mapping.OnStart("b", [&seen] { seen.emplace_back("b"); });
    const PassOutcome outcome = mapping.Run(Document("<r><a>1</a><a>2</a><b/><a>3</a></r>"));
    EXPECT_FALSE(outcome.malformed);
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2"}));
    ASSERT_TRUE(outcome.handlerFailure);
    try {
        std::rethrow_exception(outcome.handlerFailure);
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "first");
    }
}

TEST(Publish, BehavesAsCheckThenParse) {
    XmlMapping mapping;
    std::vector<std::string> built;
    mapping.OnEnd("a", [&built](std::string_view text) {
        if (text == "bad") {
            throw Exception("bad value");
        }
        built.emplace_back(text);
    });

    // Not well-formed: nothing handed over, the check's failure returned, the handler's
    // exception forgotten.
    std::vector<std::string> out{"kept"};
    const auto failure =
        Publish(mapping.Run(Document("<r><a>1</a><a>bad</a><a>2</a>")), built, out);
    ASSERT_TRUE(failure);
    EXPECT_EQ(*failure, "no element found at line 3, column 1");
    EXPECT_EQ(out, std::vector<std::string>{"kept"});

    // Well-formed: what was built before the exception, then the exception.
    built.clear();
    out.clear();
    EXPECT_THROW(Publish(mapping.Run(Document("<r><a>1</a><a>bad</a><a>2</a></r>")), built, out),
                 Exception);
    EXPECT_EQ(out, std::vector<std::string>{"1"});
}

TEST(CheckWellFormed, ReportsWhyADocumentIsRefused) {
    struct Case {
        std::string document;
        std::optional<std::string> failure;
    };
    const Case cases[] = {
        {Document("<statuses type=\"array\">\n</statuses>"), std::nullopt},
        {std::string(XmlProlog), "no element found at line 2, column 1"},
        {Document("<a><b></a>"), "mismatched tag at line 2, column 9"},
        {Document("<a>&nbsp;</a>"), "undefined entity at line 2, column 4"},
        {Document("<a/><b/>"), "junk after document element at line 2, column 5"},
        {"<?xml version=\"1.0\"?>\n<a>caf\xC3</a>\n",
         "not well-formed (invalid token) at line 2, column 7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        EXPECT_EQ(CheckWellFormed(c.document), c.failure);
    }
}

TEST(CheckWellFormed, RefusesRunawayEntityExpansion) {
    std::string document = std::string(XmlProlog) + "<!DOCTYPE r [\n<!ENTITY e0 \"laugh\">\n";
    for (int level = 1; level <= 10; ++level) {
        const std::string previous = "&e" + std::to_string(level - 1) + ";";
        std::string value;
        for (int i = 0; i < 10; ++i) {
            value += previous;
        }
        document += "<!ENTITY e" + std::to_string(level) + " \"" + value + "\">\n";
    }
    document += "]>\n<r>&e10;</r>\n";
    const auto failure = CheckWellFormed(document);
    ASSERT_TRUE(failure);
    EXPECT_NE(failure->find("amplification"), std::string::npos) << *failure;
}

}  // namespace
