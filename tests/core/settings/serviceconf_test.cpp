#include <gtest/gtest.h>

#include <filesystem>

#include "common/errors.h"
#include "settings/serviceconf.h"
#include "support/casename.h"
#include "support/workdir.h"

namespace {

using twitter_api::HostConfig;

TEST(ServiceConfTest, LinesSetTheirRoleAndLeaveTheOthers) {
    const HostConfig hosts = settings::ParseServiceConf(
        "# the stand-in\n\n  api_host = 127.0.0.1:8080 \r\nsearch_host=search.local\n",
        "service.conf", HostConfig());
    EXPECT_EQ(hosts.main, "twitter.com");
    EXPECT_EQ(hosts.versioned, "127.0.0.1:8080");
    EXPECT_EQ(hosts.search, "search.local");
}

TEST(ServiceConfTest, WrittenFileReadsBackTheSameHosts) {
    const HostConfig written{"a.example", "b.example:81", "c_host:65535"};
    const std::string text = settings::FormatServiceConf(written);
    EXPECT_EQ(text, "main_host=a.example\napi_host=b.example:81\nsearch_host=c_host:65535\n");
    const HostConfig read = settings::ParseServiceConf(text, "service.conf", HostConfig());
    EXPECT_EQ(read.main, written.main);
    EXPECT_EQ(read.versioned, written.versioned);
    EXPECT_EQ(read.search, written.search);
}

TEST(ServiceConfTest, HostsMayNameTheirSchemeAndACaFileMayBeAdded) {
    const HostConfig hosts = settings::ParseServiceConf(
        "main_host=https://a.example\napi_host=HTTP://b.example:81\nsearch_host=https://c:8443\n"
        "ca_file = /etc/warblet/own ca.pem \n",
        "service.conf", HostConfig());
    EXPECT_EQ(hosts.main, "https://a.example");
    EXPECT_EQ(hosts.versioned, "HTTP://b.example:81");
    EXPECT_EQ(hosts.search, "https://c:8443");
    EXPECT_EQ(hosts.caFile, "/etc/warblet/own ca.pem");
    const std::string text = settings::FormatServiceConf(hosts);
    EXPECT_EQ(text,
              "main_host=https://a.example\napi_host=HTTP://b.example:81\n"
              "search_host=https://c:8443\nca_file=/etc/warblet/own ca.pem\n");
    EXPECT_EQ(settings::ParseServiceConf(text, "service.conf", HostConfig()).caFile, hosts.caFile);
    EXPECT_EQ(settings::ParseServiceConf("ca_file=\n", "service.conf", hosts).caFile, "")
        << "an empty ca_file names none";
}

struct SBadLine {
    std::string mText;
    std::string mMessage;

    friend void PrintTo(const SBadLine& c, std::ostream* out) { *out << '"' << c.mText << '"'; }
};

class ServiceConfBadLine : public ::testing::TestWithParam<SBadLine> {};

TEST_P(ServiceConfBadLine, FailsNamingFileLineAndFault) {
    const SBadLine& c = GetParam();
    try {
        settings::ParseServiceConf("main_host=fine\n" + c.mText + "\n", "setting/service.conf",
                                   HostConfig());
        FAIL() << "no failure";
    } catch (const Exception& failure) {
        EXPECT_EQ(std::string(failure.what()), "setting/service.conf line 2: " + c.mMessage);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServiceConfBadLine,
    ::testing::Values(SBadLine{"main_host", "no '=' in the line"},
                      SBadLine{"mian_host=x",
                               "unknown key 'mian_host' (main_host, api_host or search_host)"},
                      SBadLine{"api_host=", "no host name"},
                      SBadLine{"api_host=:80", "no host name"},
                      SBadLine{"api_host=a b", "' ' cannot stand in a host name"},
                      SBadLine{"api_host=h/x", "'/' cannot stand in a host name"},
                      SBadLine{"api_host=h:", "the port is no number from 1 to 65535"},
                      SBadLine{"api_host=h:0", "the port is no number from 1 to 65535"},
                      SBadLine{"api_host=h:65536", "the port is no number from 1 to 65535"},
                      SBadLine{"api_host=h:8o", "the port is no number from 1 to 65535"},
                      SBadLine{"main_host=again", "'main_host' is set again (first on line 1)"},
                      SBadLine{"api_host=a\x01"
                               "b",
                               "'\\x01' cannot stand in a host name"},
                      SBadLine{"api_host=a\rb", "'\\r' cannot stand in a host name"},
                      SBadLine{std::string("mian\0\x1b[2J=x", 11),
                               "unknown key 'mian\\x00\\x1b[2J' (main_host, api_host or "
                               "search_host)"},
                      SBadLine{"api_host=ftp://h", "the scheme is not http:// or https://"},
                      SBadLine{"api_host=https:/h", "the port is no number from 1 to 65535"},
                      SBadLine{"api_host=https://", "no host name"},
                      SBadLine{"api_host=https://h/", "'/' cannot stand in a host name"},
                      SBadLine{"api_host=https://h:0", "the port is no number from 1 to 65535"},
                      SBadLine{"ca_file=a\x01"
                               "b",
                               "a control character cannot stand in a file name"}),
    [](const auto& testCase) { return CaseName(testCase.index, testCase.param.mText); });

TEST(ServiceConfTest, EachKeyMayStandOnceAmongOtherLines) {
    try {
        settings::ParseServiceConf("api_host=a\n# note\n\nmain_host=b\napi_host=c\n",
                                   "setting/service.conf", HostConfig());
        FAIL() << "no failure";
    } catch (const Exception& failure) {
        EXPECT_STREQ(failure.what(),
                     "setting/service.conf line 5: 'api_host' is set again (first on line 1)");
    }
}

TEST(ServiceConfTest, FileUnderEnvironmentUnderDefaults) {
    const ScopedWorkingDirectory work;
    EXPECT_EQ(settings::LoadServiceConf().main, "twitter.com") << "no file: the defaults";
    settings::SaveServiceConf({"file-main", "file-api", "twitter.com"});
    ::setenv("WARBLET_API_HOST", "env-api:9", 1);
    const HostConfig hosts = settings::ServiceHosts();
    ::unsetenv("WARBLET_API_HOST");
    EXPECT_EQ(hosts.main, "file-main");
    EXPECT_EQ(hosts.versioned, "env-api:9");
    EXPECT_EQ(hosts.search, "twitter.com");
    EXPECT_FALSE(std::filesystem::exists("setting/setting.dat"));
}

}  // namespace

namespace {

// A host from the command line or the environment is checked as a line of the file is, and the
// message shows what was given with its control bytes escaped.
struct SOutsideHost {
    const char* mVariable;
    std::string mValue;
    std::string mMessage;  // after "VARIABLE: " for a variable

    friend void PrintTo(const SOutsideHost& c, std::ostream* out) { *out << c.mVariable; }
};

class OutsideHost : public ::testing::TestWithParam<SOutsideHost> {
  protected:
    void TearDown() override { ::unsetenv(GetParam().mVariable); }
    ScopedWorkingDirectory mWork;
};

TEST_P(OutsideHost, IsRefusedWithItsControlBytesEscaped) {
    const SOutsideHost& c = GetParam();
    ::setenv(c.mVariable, c.mValue.c_str(), 1);
    try {
        settings::ServiceHosts();
        FAIL() << "no failure";
    } catch (const Exception& failure) {
        EXPECT_EQ(std::string(failure.what()), std::string(c.mVariable) + ": " + c.mMessage);
    }
    try {
        settings::CheckHost(c.mValue);
        FAIL() << "no failure";
    } catch (const Exception& failure) {
        EXPECT_EQ(std::string(failure.what()), c.mMessage);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutsideHost,
    ::testing::Values(
        SOutsideHost{"WARBLET_MAIN_HOST", "evil.example\r\nX-Injected: 1",
                     "Not a host name or name:port: 'evil.example\\r\\nX-Injected: 1': '\\r' "
                     "cannot stand in a host name"},
        SOutsideHost{"WARBLET_API_HOST", "api\n",
                     "Not a host name or name:port: 'api\\n': '\\n' cannot stand in a host name"},
        SOutsideHost{"WARBLET_SEARCH_HOST", "search:80\r",
                     "Not a host name or name:port: 'search:80\\r': the port is no number from 1 "
                     "to 65535"},
        SOutsideHost{"WARBLET_SEARCH_HOST", "\x1b]0;title\x07",
                     "Not a host name or name:port: '\\x1b]0;title\\x07': '\\x1b' cannot stand in "
                     "a host name"}),
    [](const auto& testCase) { return CaseName(testCase.index, testCase.param.mVariable); });

}  // namespace
