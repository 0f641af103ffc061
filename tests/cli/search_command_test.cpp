// `warblet-cli search` run as a program over a small log tree: its output forms, options and exit
// statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "serialization/serializer.h"
#include "settings/settinginfo.h"
#include "support/workdir.h"
#include "twitter_api/model/contributionlistofday.h"

namespace {

using namespace twitter_api;
namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// The tool run in the test's folder, with HOME there, so that no other data folder is seen.
Outcome RunCli(const std::vector<std::string>& words) {
    std::string command = "HOME=\"$PWD/home\" XDG_DATA_HOME= " + Quoted(WARBLET_CLI);
    for (const std::string& word : words) {
        command += " " + Quoted(word);
    }
    command += " 2>err.txt";
    Outcome outcome;
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        outcome.out.append(buffer, n);
    }
    const int status = ::pclose(pipe);
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.err = ReadBytes("err.txt");
    return outcome;
}

struct Entry {
    int64_t id;
    std::string text;
};

void WriteLog(const std::string& path, const std::vector<Entry>& entries) {
    fs::create_directories(fs::path(path).parent_path());
    auto list = std::make_shared<CContributionListOfDay>("20100405");
    for (const Entry& e : entries) {
        auto c = std::make_shared<CContribution>();
        c->mId = e.id;
        c->mCreatedAt = "2010-4-05 09:41:07";
        c->mScreenName = "bob";
        c->mName = "Bob";
        c->mText = e.text;
        list->mContributions.push_back(c);
    }
    serialization::Serializer archive(path, serialization::FileMode::Out);
    archive.transfer(list, serialization::Tracking::Tracked);
    archive.close();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

class SearchCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories("home");
        WriteLog("data/log/alice/timeline/20100405.dat",
                 {{1, "good morning"}, {3, "quote \" comma, and\nbreak"}});
        WriteLog("data/log/alice/mentions/20100405.dat", {{3, "quote \" comma, and\nbreak"}});
        WriteLog("data/log/alice/directmessages/20100404.dat", {{2, "Good night"}});
        WriteLog("data/log/carol/timeline/20100401.dat", {{9, "carol's good day"}});
        fs::create_directories("data/setting");
        gSetting = std::make_shared<DialogSetting::CSettingInfo>();
        gSetting->SetCredential(DialogSetting::MakeCredential("alice", "pw"));
        fs::current_path("data");
        DialogSetting::SaveSettingInfo();
        fs::current_path("..");
    }
    void TearDown() override { gSetting.reset(); }

    ScopedWorkingDirectory dir;
};

TEST_F(SearchCommand, WritesOneJsonObjectALineNewestFirst) {
    const Outcome run = RunCli({"--data-dir", "data", "search", "good"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    const auto first = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(first["id"], 1);
    EXPECT_EQ(first["day"], "2010-04-05");
    EXPECT_EQ(first["tabs"], nlohmann::json::array({"home"}));
    const auto second = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(second["text"], "Good night");
    EXPECT_EQ(second["tabs"], nlohmann::json::array({"dm"}));
    EXPECT_EQ(run.err, "");
}

TEST_F(SearchCommand, ExportsAsCsvWithTheOptionsAfterTheCommand) {
    const Outcome run = RunCli({"search", "--csv", "--data-dir", "data", "in:home", "in:mentions"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "id,day,tabs,created_at,screen_name,name,text,favorited,is_read\r\n"
              "3,2010-04-05,home|mentions,2010-4-05 09:41:07,bob,Bob,\"quote \"\" comma, "
              "and\nbreak\",false,false\r\n"
              "1,2010-04-05,home,2010-4-05 09:41:07,bob,Bob,good morning,false,false\r\n");
}

TEST_F(SearchCommand, TakesTheAccountTheLimitAndTheQueryWords) {
    const Outcome carol = RunCli({"search", "--data-dir", "data", "--account", "carol", "good"});
    EXPECT_EQ(carol.status, 0) << carol.err;
    EXPECT_EQ(Lines(carol.out).size(), 1u);
    EXPECT_NE(carol.out.find("carol's good day"), std::string::npos);

    const Outcome limited = RunCli({"search", "--data-dir", "data", "--limit", "1", "--json"});
    EXPECT_EQ(Lines(limited.out).size(), 1u);

    // The words make one query; a word led by "-" negates, "--" ends the options.
    const Outcome words = RunCli({"search", "--data-dir", "data", "good", "-night", "--", "--x"});
    EXPECT_EQ(words.status, 0) << words.err;
    EXPECT_EQ(Lines(words.out).size(), 1u);

    const Outcome none = RunCli({"search", "--data-dir", "data", "nothing-like-this"});
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
}

struct Failure {
    std::vector<std::string> words;
    int status;
    std::string message;
};

TEST_F(SearchCommand, FailsWithTheStatusOfItsKind) {
    WriteBytes("data/log/alice/timeline/20100405.dat", "broken");
    fs::create_directories("data/log/dave/timeline");
    WriteBytes("data/log/dave/timeline/20100405.dat", "broken");
    const Failure failures[] = {
        {{"search", "--data-dir", "data", "foo:bar"}, 1, "Unknown prefix \"foo:\" in the search"},
        {{"search", "--data-dir", "data", "until:2010-02-30"}, 1, "Malformed date"},
        {{"search", "--data-dir", "data", "--account", "nobody", "x"},
         2,
         "Cannot read the logs in 'log/nobody/'"},
        {{"search", "--data-dir", "missing", "x"}, 2, "Cannot use the data folder"},
        {{"search", "--data-dir", "home", "x"}, 2, "No account is set"},
        {{"search", "--data-dir", "data", "--account", "dave"},
         2,
         "None of the logs in 'log/dave/' could be read"},
        {{"search", "--json", "--csv", "x"}, 2, "search takes one of --json and --csv"},
        {{"search", "--limit", "0", "x"}, 2, "--limit takes a number above 0"},
        {{"search", "--other", "x"}, 2, "unknown option or missing value: --other"},
    };
    for (const Failure& failure : failures) {
        const Outcome run = RunCli(failure.words);
        EXPECT_EQ(run.status, failure.status) << failure.words.back() << ": " << run.err;
        EXPECT_NE(run.err.find(failure.message), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists("missing")) << "a search makes no folder";
    EXPECT_FALSE(fs::exists("home/.local")) << "a search makes no folder";

    // A damaged file among readable ones is reported and skipped.
    const Outcome partly = RunCli({"search", "--data-dir", "data", "good"});
    EXPECT_EQ(partly.status, 0);
    EXPECT_EQ(Lines(partly.out).size(), 1u);
    EXPECT_NE(partly.err.find("Skipped the damaged log file 'log/alice/timeline/20100405.dat'"),
              std::string::npos)
        << partly.err;
}

}  // namespace
