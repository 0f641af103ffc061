// Text fields read from a log view the file's image; they must stay valid as long as their
// contribution lives, and every copy or move must own its text.
#include "serialization/textfield.h"

#include <gtest/gtest.h>

#include <thread>

#include "serialization/serializer.h"
#include "support/workdir.h"
#include "twitter_api/model/contributionlistofday.h"

using serialization::FileMode;
using serialization::Serializer;
using serialization::TextField;
using serialization::Tracking;
using twitter_api::CContribution;
using twitter_api::CContributionListOfDay;
using twitter_api::ContributionListPtr;
using twitter_api::ContributionPtr;

namespace {

ContributionListPtr WriteAndRead(const std::string& path, const ContributionListPtr& list) {
    {
        Serializer archive(path, FileMode::Out);
        auto root = list;
        archive.transfer(root, Tracking::Tracked);
        archive.close();
    }
    auto back = std::make_shared<CContributionListOfDay>();
    Serializer archive(path, FileMode::In);
    archive.transfer(back, Tracking::Tracked);
    return back;
}

ContributionListPtr DayOf(std::vector<std::string> texts) {
    auto list = std::make_shared<CContributionListOfDay>("20261210");
    int64_t id = 0;
    for (auto& text : texts) {
        auto c = std::make_shared<CContribution>();
        c->mId = ++id;
        c->mScreenName = "alice";
        c->mName = "Alice";
        c->mText = std::move(text);
        list->mContributions.push_back(c);
    }
    return list;
}

class TextFieldOfLog : public ::testing::Test {
  protected:
    ScopedWorkingDirectory dir;
};

// The screen name, the name's length and the name lie next to each other in the file; views of
// the image show it, copies would not.
TEST_F(TextFieldOfLog, ReadFieldsViewOneImage) {
    const auto back = WriteAndRead("d.dat", DayOf({"one", "two"}));
    const CContribution& c = *back->mContributions[1];
    EXPECT_EQ(c.mScreenName.data() + c.mScreenName.size() + 4, c.mName.data());
    EXPECT_EQ(c.mText, "two");
}

// The contribution alone keeps the image alive: the list, the serializer and the file are gone.
TEST_F(TextFieldOfLog, ContributionOutlivesItsListAndFile) {
    ContributionPtr kept;
    {
        const auto back = WriteAndRead("d.dat", DayOf({std::string(5000, 'a'), "last"}));
        kept = back->mContributions[0];
    }
    std::filesystem::remove("d.dat");
    WriteAndRead("e.dat", DayOf({std::string(5000, 'b')}));  // reuse of freed memory shows
    EXPECT_EQ(kept->mText, std::string(5000, 'a'));
    EXPECT_EQ(kept->mName, "Alice");
}

// A back-reference hands out the same contribution, which keeps what it views alive as the first
// reference does.
TEST_F(TextFieldOfLog, BackReferenceKeepsItsContributionAlive) {
    ContributionPtr kept;
    {
        auto list = DayOf({std::string(5000, 'a'), "other"});
        list->mContributions.push_back(list->mContributions[0]);
        const auto back = WriteAndRead("d.dat", list);
        ASSERT_EQ(back->mContributions.size(), 3u);
        EXPECT_EQ(back->mContributions[2], back->mContributions[0]);
        kept = back->mContributions[2];
    }
    WriteAndRead("e.dat", DayOf({std::string(5000, 'b')}));
    EXPECT_EQ(kept->mText, std::string(5000, 'a'));
}

// A contribution that is not one of a list's elements of its own class (read alone, or made by a
// creation callback of the registrant's) owns its text, since nothing else keeps the file's image.
TEST_F(TextFieldOfLog, ContributionsMadeOutsideAListOwnTheirText) {
    auto alone = DayOf({std::string(5000, 'a')})->mContributions[0];
    {
        Serializer archive("c.dat", FileMode::Out);
        archive.transfer(alone, Tracking::Tracked);
        archive.close();
    }
    ContributionPtr readAlone;
    ContributionPtr madeByCallback;
    std::thread([&] {
        serialization::ClassRegister<Serializer>::ForThisThread().registerClass<CContribution>(
            [] { return std::make_shared<CContribution>(); }, "C11twitter_api13CContribution");
        {
            Serializer archive("c.dat", FileMode::In);
            archive.transfer(readAlone, Tracking::Tracked);
        }
        madeByCallback = WriteAndRead("d.dat", DayOf({std::string(5000, 'c')}))->mContributions[0];
        // Freed memory of this thread is reused by its next reads.
        WriteAndRead("e.dat", DayOf({std::string(5000, 'b')}));
        WriteAndRead("e.dat", DayOf({std::string(5000, 'b')}));
    }).join();
    EXPECT_EQ(readAlone->mText, std::string(5000, 'a'));
    EXPECT_EQ(madeByCallback->mText, std::string(5000, 'c'));
    EXPECT_EQ(madeByCallback->mName, "Alice");
}

// A copy or a move of a viewing field owns its bytes, so it can go to an object that does not
// keep the image.
TEST_F(TextFieldOfLog, CopiesAndMovesOwnTheirText) {
    TextField copied;
    TextField moved;
    CContribution wholeCopy;
    {
        const auto back = WriteAndRead("d.dat", DayOf({"viewed text"}));
        CContribution& c = *back->mContributions[0];
        copied = c.mText;
        wholeCopy = c;
        moved = std::move(c.mName);
        EXPECT_NE(copied.data(), c.mText.data());
        EXPECT_TRUE(c.mName.empty());
    }
    WriteAndRead("d.dat", DayOf({"other bytes"}));
    EXPECT_EQ(copied, "viewed text");
    EXPECT_EQ(moved, "Alice");
    EXPECT_EQ(wholeCopy.mText, "viewed text");
}

// What the exchange and the tab write into the fields: strings, views, literals, and the joins
// the tab makes of them.
TEST(TextField, TakesAndGivesStrings) {
    TextField field = std::string("from a string");
    EXPECT_EQ(field, "from a string");
    field = std::string_view("view of text").substr(0, 4);
    EXPECT_EQ(field, "view");
    field = "literal";
    EXPECT_EQ("@" + field + " ", "@literal ");
    const std::string asString = field;
    EXPECT_EQ(asString, "literal");
    EXPECT_EQ(field.substr(1, 3), "ite");
    field = std::string();
    EXPECT_TRUE(field.empty());
    EXPECT_EQ(field, "");
    TextField moved = std::move(field);
    EXPECT_EQ(moved.size(), 0u);
}

}  // namespace
