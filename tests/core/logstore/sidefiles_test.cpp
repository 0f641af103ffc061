// The side files beside an account's day logs: what the archive has no field for.
#include "twitter_api/logstore/sidefiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "common/errors.h"
#include "exchange/loopback.h"
#include "support/workdir.h"
#include "twitter_api/logstore/logwriter.h"

namespace {

using namespace twitter_api;
namespace fs = std::filesystem;

ContributionPtr Reply(int64_t id, int64_t answered) {
    auto contribution = std::make_shared<CContribution>();
    contribution->mId = id;
    contribution->mInReplyToStatusId = answered;
    return contribution;
}

TEST(SideFiles, DamagedLinesAreSkippedAndCounted) {
    size_t skipped = 0;
    EXPECT_EQ(ParseDeletedIds("12\n\nx\n-3\n34 \n0\r\n0\n56\n9223372036854775808\n7", &skipped),
              (std::set<int64_t>{7, 12, 56}));
    EXPECT_EQ(skipped, 6U);
    EXPECT_EQ(ParseReplyLinks("5 4\n6 x\n7\n8 9 10\n 1 2\n3 2\n3 1\n4 0\n2 1", &skipped),
              (std::map<int64_t, int64_t>{{2, 1}, {3, 1}, {5, 4}}));
    EXPECT_EQ(skipped, 5U);
    EXPECT_EQ(ParseDeletedIds("", &skipped), std::set<int64_t>());
    EXPECT_EQ(skipped, 0U);
}

TEST(SideFiles, FormatsReadBackAsTheyWere) {
    const std::set<int64_t> ids = {3, 9'223'372'036'854'775'807};
    EXPECT_EQ(FormatDeletedIds(ids), "3\n9223372036854775807\n");
    EXPECT_EQ(ParseDeletedIds(FormatDeletedIds(ids)), ids);
    const std::map<int64_t, int64_t> links = {{5, 4}, {31400000009, 31400000001}};
    EXPECT_EQ(FormatReplyLinks(links), "5 4\n31400000009 31400000001\n");
    EXPECT_EQ(ParseReplyLinks(FormatReplyLinks(links)), links);
}

class StatusNotesTest : public ::testing::Test {
  protected:
    ScopedWorkingDirectory dir;
    testing_support::RecordingSink sink;
};

TEST_F(StatusNotesTest, ADeletionIsWrittenAtOnceWithWhatAnotherProgramAddedMeanwhile) {
    StatusNotes notes("log/U/", &sink);
    EXPECT_FALSE(notes.IsDeleted(5));
    notes.AddDeleted(5);
    EXPECT_EQ(ReadBytes("log/U/deleted.txt"), "5\n");
    EXPECT_EQ(fs::status("log/U/deleted.txt").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    WriteBytes("log/U/deleted.txt", "5\n7\n");  // the command line deleted one too
    notes.AddDeleted(3);
    EXPECT_EQ(ReadBytes("log/U/deleted.txt"), "3\n5\n7\n");
    EXPECT_TRUE(notes.IsDeleted(7));
    EXPECT_TRUE(sink.lines.empty());
}

TEST_F(StatusNotesTest, NotesAreReadWithTheirDamagedLinesSkippedAndReported) {
    fs::create_directories("log/U@social.example");
    WriteBytes("log/U@social.example/deleted.txt", "5\nfive\n6");
    WriteBytes("log/U@social.example/in_reply_to.txt", "9 8\n10\n11 10\n12 x\n");
    StatusNotes notes("log/U@social.example/", &sink);
    EXPECT_TRUE(notes.IsDeleted(5));
    EXPECT_TRUE(notes.IsDeleted(6));
    EXPECT_FALSE(notes.IsDeleted(8));
    EXPECT_EQ(notes.InReplyTo(9), 8);
    EXPECT_EQ(notes.InReplyTo(11), 10);
    EXPECT_EQ(notes.InReplyTo(10), 0);
    EXPECT_EQ(sink.lines, (std::vector<std::string>{
                              "Skipped 1 damaged line of log/U@social.example/deleted.txt",
                              "Skipped 2 damaged lines of log/U@social.example/in_reply_to.txt"}));
}

TEST_F(StatusNotesTest, RepliesGoThroughTheLogWriterAndOnlyWhenSomethingIsNew) {
    LogWriter writer;
    StatusNotes notes("log/U/", &sink);
    notes.AddReplies({Reply(3, 0), Reply(4, 0)}, &writer);
    writer.Flush();
    EXPECT_FALSE(fs::exists("log/U/in_reply_to.txt")) << "nothing answers anything";
    notes.AddReplies({Reply(3, 0), Reply(5, 3), Reply(7, 5)}, &writer);
    writer.Flush();
    EXPECT_EQ(ReadBytes("log/U/in_reply_to.txt"), "5 3\n7 5\n");
    EXPECT_EQ(notes.InReplyTo(7), 5);
    notes.AddReplies({Reply(8, 7)}, nullptr);
    EXPECT_EQ(ReadBytes("log/U/in_reply_to.txt"), "5 3\n7 5\n8 7\n");
    EXPECT_EQ(StatusNotes("log/U/").InReplyTo(8), 7) << "read back from the file";
}

// A file that cannot be replaced stays whole: the new content never reaches it half-written. The
// write fails here because the process may write no file larger than three bytes.
TEST_F(StatusNotesTest, AFailedWriteLeavesTheOldFile) {
    StatusNotes notes("log/U/", &sink);
    notes.AddDeleted(5);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 3;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    EXPECT_THROW(notes.AddDeleted(6), Exception);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_EQ(ReadBytes("log/U/deleted.txt"), "5\n");
    EXPECT_FALSE(notes.IsDeleted(6));
    EXPECT_EQ(std::distance(fs::directory_iterator("log/U"), fs::directory_iterator()), 1)
        << "no half-written file left behind";
}

TEST_F(StatusNotesTest, AShelfHandsOutOneNotesPerFolder) {
    StatusNotesShelf shelf;
    StatusNotes& first = shelf.For("log/U/", &sink);
    first.AddDeleted(4);
    EXPECT_EQ(&shelf.For("log/U/", &sink), &first);
    EXPECT_TRUE(shelf.For("log/U/", &sink).IsDeleted(4));
    EXPECT_FALSE(shelf.For("log/U@social.example/", &sink).IsDeleted(4));
}

}  // namespace
