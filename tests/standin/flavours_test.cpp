// The stand-in playing GNU social and Friendica, asked by the program's own requests: one table of
// requests per kind of server (what is sent, with or without the credential, and what comes back),
// and the search for a server from the address a user types.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "common/diagnostics.h"
#include "common/errors.h"
#include "routes.h"
#include "secure.h"
#include "seed.h"
#include "store.h"
#include "testauthority.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/requests/conversation.h"
#include "twitter_api/requests/lists.h"
#include "twitter_api/requests/probe.h"
#include "twitter_api/requests/status.h"
#include "twitter_api/requests/timeline.h"

namespace standin {
namespace {

using twitter_api::ContributionPtr;
using twitter_api::Flavour;

const std::string kDemo = "ZGVtbzpkZW1v";  // demo:demo

class NullSink final : public DiagnosticSink {
  public:
    void WriteLine(std::string_view) override {}
};

// The stand-in on a loopback port for the length of a test, seeded with repeats, playing one kind
// of server, over https when given a certificate. Every request it answers is noted as "METHOD
// TARGET STATUS" and whether it carried a credential.
class RunningStandin {
  public:
    explicit RunningStandin(Flavour flavour, const testing_tls::IssuedCertificate* tls = nullptr) {
        LoadSeedFile(WARBLET_STANDIN_SEED, Now(), mStore, true);
        if (tls != nullptr) {
            mServer = MakeHttpsServer(
                testing_tls::WriteTemporaryFile("standin-cert", tls->certificate).string(),
                testing_tls::WriteTemporaryFile("standin-key", tls->key).string());
        } else {
            mServer = std::make_unique<httplib::Server>();
        }
        ConfigureServer(*mServer, mStore, flavour);
        mServer->set_logger([this](const httplib::Request& request,
                                   const httplib::Response& response) {
            std::lock_guard lock(mLock);
            mRequests.push_back(request.method + " " + request.target + " " +
                                std::to_string(response.status) +
                                (request.has_header("Authorization") ? " with credential" : ""));
        });
        mPort = BindToLoopback(*mServer, 0);
        mServing = std::thread([this] { mServer->listen_after_bind(); });
    }
    ~RunningStandin() {
        mServer->stop();
        mServing.join();
    }

    int Port() const { return mPort; }
    CStore& Store() { return mStore; }
    std::string Url(const std::string& path = "") const {
        return "http://127.0.0.1:" + std::to_string(mPort) + path;
    }
    std::vector<std::string> TakeRequests() {
        std::lock_guard lock(mLock);
        return std::exchange(mRequests, {});
    }

  private:
    CStore mStore;
    std::unique_ptr<httplib::Server> mServer;
    int mPort = 0;
    std::thread mServing;
    std::mutex mLock;
    std::vector<std::string> mRequests;
};

twitter_api::Service ServiceAt(Flavour flavour, const std::string& root, DiagnosticSink& sink) {
    twitter_api::Service service;
    service.hosts.flavour = flavour;
    service.hosts.server = root;
    service.diagnostics = &sink;
    service.timeout = std::chrono::seconds(5);
    return service;
}

// What came back, in short: how many entries, and the entries that match.
struct Outcome {
    bool success = false;
    std::string failure;
    std::vector<std::string> entries;  // "screen name: text" or the choice's text
};

Outcome FromContributions(bool success, std::string failure,
                          const std::vector<ContributionPtr>& contributions) {
    Outcome outcome{success, std::move(failure), {}};
    for (const ContributionPtr& c : contributions) {
        outcome.entries.push_back(std::string(c->mScreenName.view()) + ": " +
                                  std::string(c->mText.view()));
    }
    return outcome;
}

using Call = std::function<Outcome(const twitter_api::Service&)>;

Call Timeline(bool (*request)(const twitter_api::Service&, std::vector<ContributionPtr>&,
                              const std::string&, int64_t, int32_t, twitter_api::FailureOut),
              int32_t count) {
    return [=](const twitter_api::Service& service) {
        std::vector<ContributionPtr> out;
        std::string failure;
        const bool success = request(service, out, kDemo, -1, count, &failure);
        return FromContributions(success, failure, out);
    };
}

Call List(std::string owner, std::string name) {
    return [=](const twitter_api::Service& service) {
        std::vector<ContributionPtr> out;
        std::string failure;
        const bool success = GetListTimeLine(service, out, owner, name, kDemo, -1, 200, &failure);
        return FromContributions(success, failure, out);
    };
}

Call Search(std::string query) {
    return [=](const twitter_api::Service& service) {
        std::vector<ContributionPtr> out;
        std::string failure;
        const bool success =
            GetSearchTimeLine(service, out, kDemo, twitter_api::UriEncode(query), 3, 1, &failure);
        return FromContributions(success, failure, out);
    };
}

Call Choices(std::vector<std::string> (*request)(const twitter_api::Service&, const std::string&,
                                                 twitter_api::FailureOut)) {
    return [=](const twitter_api::Service& service) {
        std::string failure;
        Outcome outcome;
        outcome.entries = request(service, kDemo, &failure);
        outcome.success = failure.empty();
        outcome.failure = failure;
        return outcome;
    };
}

Call Change(std::function<bool(const twitter_api::Service&, std::string*)> request) {
    return [=](const twitter_api::Service& service) {
        std::string failure;
        const bool success = request(service, &failure);
        return Outcome{success, failure, {}};
    };
}

struct RequestCase {
    const char* name;
    Call call;
    std::string request;  // "METHOD TARGET STATUS", under the root, and the credential mark
    std::function<void(const Outcome&)> expect;
};

bool Has(const Outcome& outcome, const std::string& entry) {
    return std::ranges::find(outcome.entries, entry) != outcome.entries.end();
}

void RunTable(Flavour flavour, const std::string& root, const std::vector<RequestCase>& cases) {
    RunningStandin standin(flavour);
    NullSink sink;
    const twitter_api::Service service = ServiceAt(flavour, standin.Url(root), sink);
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = c.call(service);
        c.expect(outcome);
        const std::vector<std::string> requests = standin.TakeRequests();
        EXPECT_EQ(requests, c.request.empty() ? std::vector<std::string>()
                                              : std::vector<std::string>{c.request});
    }
}

void Succeeds(const Outcome& outcome) {
    EXPECT_TRUE(outcome.success) << outcome.failure;
}

TEST(StandinFlavours, GnuSocialAnswersEachRequestAsItsServerDoes) {
    const std::string repeat =
        "hanako: RT @kenji_dev QString と std::string の変換、毎回 toStdString() と "
        "fromStdString() を書くのが面倒。UTF-8 前提ならまあいいか。 #Qt";
    RunTable(
        Flavour::GnuSocial, "/api",
        {
            {"home timeline", Timeline(twitter_api::GetUserPrivateTimeLine, 200),
             "GET /api/statuses/home_timeline.xml?count=200 200 with credential",
             [&](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_TRUE(Has(o, repeat)) << "the repeat, named after hanako and kenji_dev";
             }},
            {"mentions", Timeline(twitter_api::GetUserMentions, 3),
             "GET /api/statuses/mentions.xml?count=3 200 with credential",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_EQ(o.entries.size(), 3U);
             }},
            {"direct messages", Timeline(twitter_api::GetUserDirectMessage, 2),
             "GET /api/direct_messages.xml?count=2 200 with credential",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_EQ(o.entries.size(), 2U);
             }},
            {"own lists", Choices(twitter_api::GetUserLists),
             "GET /api/demo/lists.xml 200 with credential",
             [](const Outcome& o) {
                 EXPECT_EQ(o.entries, (std::vector<std::string>{"tech,demo", "nakama,demo"}));
             }},
            {"list subscriptions", Choices(twitter_api::GetUserListSubscriptions),
             "GET /api/demo/lists/subscriptions.xml 200 with credential",
             [](const Outcome& o) {
                 EXPECT_EQ(o.entries, std::vector<std::string>{"cpp-people,kenji_dev"});
             }},
            {"saved searches, which it does not have", Choices(twitter_api::GetUserSavedSearches),
             "",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_TRUE(o.entries.empty());
             }},
            {"list statuses, twenty by the server", List("kenji_dev", "cpp-people"),
             "GET /api/kenji_dev/lists/cpp-people/statuses.xml 200 with credential",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_FALSE(o.entries.empty());
                 EXPECT_LE(o.entries.size(), 20U);
             }},
            {"a list that is not there", List("demo", "nosuch"),
             "GET /api/demo/lists/nosuch/statuses.xml 404 with credential",
             [](const Outcome& o) {
                 EXPECT_FALSE(o.success);
                 EXPECT_EQ(o.failure, "List not found.");
             }},
            {"search", Search("Qt"), "GET /api/search.atom?q=Qt&rpp=3&page=1 200 with credential",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_EQ(o.entries.size(), 3U);
             }},
            {"post", Change([](const twitter_api::Service& s, std::string* failure) {
                 return twitter_api::Post(s, kDemo, "hello", -1, failure);
             }),
             "POST /api/statuses/update.xml?status=hello 200 with credential", Succeeds},
            {"post over the text limit",
             Change([](const twitter_api::Service& s, std::string* failure) {
                 return twitter_api::Post(s, kDemo, std::string(1001, 'a'), -1, failure);
             }),
             "POST /api/statuses/update.xml?status=" + std::string(1001, 'a') +
                 " 413 with credential",
             [](const Outcome& o) {
                 EXPECT_FALSE(o.success);
                 EXPECT_EQ(o.failure,
                           "Maximum notice size is 1000 characters, including attachment URL.");
             }},
            {"favourite of no status", Change([](const twitter_api::Service& s, std::string* f) {
                 return twitter_api::CreateFavorite(s, kDemo, 1, f);
             }),
             "POST /api/favorites/create/1.xml 404 with credential",
             [](const Outcome& o) { EXPECT_EQ(o.failure, "No status found with that ID."); }},
            {"a wrong password", Change([](const twitter_api::Service& s, std::string* failure) {
                 return twitter_api::Post(s, "ZGVtbzp4", "x", -1, failure);
             }),
             "POST /api/statuses/update.xml?status=x 401 with credential",
             [](const Outcome& o) { EXPECT_EQ(o.failure, "Could not authenticate you."); }},
        });
}

TEST(StandinFlavours, FriendicaAnswersEachRequestAsItsServerDoes) {
    const std::string share =
        "hanako: RT @kenji_dev QString と std::string の変換、毎回 toStdString() と "
        "fromStdString() を書くのが面倒。UTF-8 前提ならまあいいか。 #Qt";
    RunTable(
        Flavour::Friendica, "/index.php/api",
        {
            {"home timeline, a hundred at most", Timeline(twitter_api::GetUserPrivateTimeLine, 200),
             "GET /index.php/api/statuses/home_timeline.xml?count=200 200 with credential",
             [&](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_LE(o.entries.size(), 100U);
                 EXPECT_TRUE(Has(o, share)) << "the share, named after hanako and its author";
             }},
            {"direct messages", Timeline(twitter_api::GetUserDirectMessage, 2),
             "GET /index.php/api/direct_messages.xml?count=2 200 with credential",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_EQ(o.entries.size(), 2U);
             }},
            {"circles", Choices(twitter_api::GetUserLists),
             "GET /index.php/api/friendica/circle_show.xml 200 with credential",
             [](const Outcome& o) {
                 EXPECT_EQ(o.entries, (std::vector<std::string>{"tech,5100001", "nakama,5100002"}));
             }},
            {"list subscriptions, which it does not have",
             Choices(twitter_api::GetUserListSubscriptions), "",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_TRUE(o.entries.empty());
             }},
            {"saved searches", Choices(twitter_api::GetUserSavedSearches),
             "GET /index.php/api/saved_searches/list.xml 200 with credential",
             [](const Outcome& o) {
                 EXPECT_EQ(o.entries, (std::vector<std::string>{"ラーメン", "Qt", "Warblet"}));
             }},
            {"a circle's statuses by its id", List("5100001", "tech"),
             "GET /index.php/api/lists/statuses.xml?list_id=5100001&count=200 200 with credential",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_FALSE(o.entries.empty());
             }},
            {"search answered with statuses", Search("Qt"),
             "GET /index.php/api/search.xml?q=Qt&rpp=3&page=1 200 with credential",
             [](const Outcome& o) {
                 Succeeds(o);
                 EXPECT_EQ(o.entries.size(), 3U);
             }},
            {"favourite by parameter", Change([](const twitter_api::Service& s, std::string* f) {
                 return twitter_api::CreateFavorite(s, kDemo, 31400000001, f);
             }),
             "POST /index.php/api/favorites/create.xml?id=31400000001 200 with credential",
             Succeeds},
            {"favourite of no post, refused with a page",
             Change([](const twitter_api::Service& s, std::string* f) {
                 return twitter_api::DestroyFavorite(s, kDemo, 1, f);
             }),
             "POST /index.php/api/favorites/destroy.xml?id=1 400 with credential",
             [](const Outcome& o) { EXPECT_EQ(o.failure, "HTTP/1.1 400 Bad Request"); }},
            {"a wrong password", Change([](const twitter_api::Service& s, std::string* failure) {
                 return twitter_api::Post(s, "ZGVtbzp4", "x", -1, failure);
             }),
             "POST /index.php/api/statuses/update.xml?status=x 401 with credential",
             [](const Outcome& o) { EXPECT_EQ(o.failure, "HTTP/1.1 401 Unauthorized"); }},
        });
}

// What each kind of server answers to a repeat, a direct message, a deletion and the statuses of
// a conversation, and how it refuses them.
struct SActionAnswers {
    Flavour flavour;
    std::string root;
    std::string noStatusToRepeat;  // failure, then the request's status code
    int noStatusToRepeatCode;
    std::string noRecipient;
    int noRecipientCode;
    std::string notOwnStatus;
    int notOwnStatusCode;
};

twitter_api::Service ActionService(RunningStandin& standin, const SActionAnswers& kind,
                                   DiagnosticSink& sink) {
    if (kind.flavour != Flavour::Service) {
        return ServiceAt(kind.flavour, standin.Url(kind.root), sink);
    }
    twitter_api::Service service;
    const std::string host = "127.0.0.1:" + std::to_string(standin.Port());
    service.hosts = {host, host, host};
    service.diagnostics = &sink;
    service.timeout = std::chrono::seconds(5);
    return service;
}

TEST(StandinFlavours, EveryKindRepeatsWritesMessagesDeletesAndShowsAConversation) {
    const SActionAnswers kinds[] = {
        {Flavour::Service, "", "No status found with that ID.", 404, "No user with that name.", 404,
         "You may not delete another user's status.", 403},
        {Flavour::GnuSocial, "/api", "No such notice.", 400, "Recipient user not found.", 403,
         "You may not delete another user's status.", 403},
        {Flavour::Friendica, "/index.php/api", "HTTP/1.1 403 Forbidden", 403,
         "HTTP/1.1 404 Not Found", 404, "HTTP/1.1 403 Forbidden", 403},
    };
    for (const SActionAnswers& kind : kinds) {
        SCOPED_TRACE(std::string(twitter_api::FlavourKey(kind.flavour)));
        RunningStandin standin(kind.flavour);
        CStore& store = standin.Store();
        const int64_t demo = *store.FindUser("demo");
        const int64_t kenji = *store.FindUser("kenji_dev");
        const int64_t hanako = *store.FindUser("hanako");
        const int64_t theirs = store.AddStatus(kenji, "theirs", "web", Now(), 0).mStatus.mId;
        const int64_t mine = store.AddStatus(demo, "mine", "web", Now(), 0).mStatus.mId;
        const int64_t first = store.AddStatus(kenji, "first", "web", Now(), 0).mStatus.mId;
        const int64_t second =
            store.AddStatus(demo, "@kenji_dev second", "web", Now(), first).mStatus.mId;
        NullSink sink;
        const twitter_api::Service service = ActionService(standin, kind, sink);
        const std::string& root = kind.root;
        const auto requested = [&standin](const std::string& line) {
            EXPECT_EQ(standin.TakeRequests(), std::vector<std::string>{line + " with credential"});
        };
        const auto id = [](int64_t value) { return std::to_string(value); };
        std::string failure;

        EXPECT_TRUE(twitter_api::Retweet(service, kDemo, theirs, &failure)) << failure;
        requested("POST " + root + "/statuses/retweet/" + id(theirs) + ".xml 200");
        EXPECT_EQ(store.HomeTimeline(demo, {}).front().mStatus.mRepeatOfId, theirs);
        EXPECT_FALSE(twitter_api::Retweet(service, kDemo, 7, &failure));
        EXPECT_EQ(failure, kind.noStatusToRepeat);
        requested("POST " + root + "/statuses/retweet/7.xml " + id(kind.noStatusToRepeatCode));

        EXPECT_TRUE(twitter_api::NewDirectMessage(service, kDemo, "hanako", "また明日 & よろしく",
                                                  &failure))
            << failure;
        requested("POST " + root + "/direct_messages/new.xml?screen_name=hanako&text=" +
                  twitter_api::UriEncode("また明日 & よろしく") + " 200");
        const std::vector<SDirectMessageView> inbox = store.DirectMessages(hanako, {});
        ASSERT_FALSE(inbox.empty());
        EXPECT_EQ(inbox.front().mMessage.mText, "また明日 & よろしく");
        EXPECT_EQ(inbox.front().mMessage.mSenderId, demo);
        EXPECT_FALSE(twitter_api::NewDirectMessage(service, kDemo, "nobody", "x", &failure));
        EXPECT_EQ(failure, kind.noRecipient);
        requested("POST " + root + "/direct_messages/new.xml?screen_name=nobody&text=x " +
                  id(kind.noRecipientCode));

        EXPECT_TRUE(twitter_api::DestroyStatus(service, kDemo, mine, &failure)) << failure;
        requested("POST " + root + "/statuses/destroy/" + id(mine) + ".xml 200");
        EXPECT_FALSE(store.ShowStatus(mine, demo));
        EXPECT_FALSE(twitter_api::DestroyStatus(service, kDemo, theirs, &failure));
        EXPECT_EQ(failure, kind.notOwnStatus);
        requested("POST " + root + "/statuses/destroy/" + id(theirs) + ".xml " +
                  id(kind.notOwnStatusCode));
        EXPECT_TRUE(store.ShowStatus(theirs, demo));

        const twitter_api::SConversation conversation =
            twitter_api::GetConversation(service, kDemo, second);
        EXPECT_EQ(conversation.failure, "");
        ASSERT_EQ(conversation.statuses.size(), 2U);
        EXPECT_EQ(conversation.statuses[0]->mId, first);
        EXPECT_EQ(conversation.statuses[0]->mScreenName, "kenji_dev");
        EXPECT_EQ(conversation.statuses[1]->mId, second);
        EXPECT_EQ(conversation.statuses[1]->mInReplyToStatusId, first);
        EXPECT_EQ(standin.TakeRequests(),
                  (std::vector<std::string>{
                      "GET " + root + "/statuses/show/" + id(second) + ".xml 200 with credential",
                      "GET " + root + "/statuses/show/" + id(first) + ".xml 200 with credential"}));
    }
}

TEST(StandinFlavours, AServerIsFoundAtEitherRootAndByItsKind) {
    struct Case {
        Flavour flavour;
        std::string typed;  // after the stand-in's address
        std::string root;
        std::string description;
    };
    const Case cases[] = {
        {Flavour::GnuSocial, "", "/api", "GNU social 1.20.9, text limit 1000"},
        {Flavour::GnuSocial, "/index.php/api", "/index.php/api",
         "GNU social 1.20.9, text limit 1000"},
        {Flavour::Friendica, "/", "/api", "Friendica 2024.09-rc, text limit 200000"},
        {Flavour::Friendica, "/index.php", "/index.php/api",
         "Friendica 2024.09-rc, text limit 200000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed + " " + c.description);
        RunningStandin standin(c.flavour);
        NullSink sink;
        twitter_api::Service service;
        service.diagnostics = &sink;
        const twitter_api::SServerFound found = twitter_api::FindServer(
            service, "  HTTP://127.0.0.1:" + std::to_string(standin.Port()) + c.typed + " ");
        EXPECT_EQ(found.flavour, c.flavour);
        EXPECT_EQ(found.root, standin.Url(c.root));
        EXPECT_EQ(twitter_api::DescribeServer(found), c.description);
        for (const std::string& request : standin.TakeRequests()) {
            EXPECT_EQ(request.find("with credential"), std::string::npos)
                << "no credential goes with the search: " << request;
        }
    }
}

TEST(StandinFlavours, AServerThatIsNeitherIsNamedWithWhatEachPlaceAnswered) {
    CStore store;
    httplib::Server server;
    ConfigureServer(server, store);
    const int port = BindToLoopback(server, 0);
    std::thread serving([&server] { server.listen_after_bind(); });
    NullSink sink;
    twitter_api::Service service;
    service.diagnostics = &sink;
    const std::string address = "http://127.0.0.1:" + std::to_string(port);
    try {
        twitter_api::FindServer(service, address);
        ADD_FAILURE() << "found a server";
    } catch (const Exception& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "No GNU social or Friendica server at " + address +
                      ": /api: HTTP/1.1 404 Not Found; /index.php/api: HTTP/1.1 404 Not Found");
    }
    server.stop();
    serving.join();
}

TEST(StandinFlavours, AnHttpsOnlyServerIsFoundByItsNameAndThroughItsRedirect) {
    const testing_tls::TestAuthority authority;
    const testing_tls::IssuedCertificate certificate =
        authority.Issue({.alternativeNames = "DNS:localhost,IP:127.0.0.1"});
    RunningStandin standin(Flavour::Friendica, &certificate);
    const std::string https = "https://localhost:" + std::to_string(standin.Port());
    NullSink sink;
    twitter_api::Service service;
    service.diagnostics = &sink;
    service.hosts.caFile = authority.CaFile();

    // A name without a scheme is asked over https.
    EXPECT_EQ(twitter_api::FindServer(service, "localhost:" + std::to_string(standin.Port())).root,
              https + "/api");

    // Its plain-HTTP port sends every request to https: the server is found there.
    httplib::Server redirect;
    ConfigureRedirectToHttps(redirect, standin.Port());
    const int plainPort = BindToLoopback(redirect, 0);
    std::thread redirecting([&redirect] { redirect.listen_after_bind(); });
    EXPECT_EQ(
        twitter_api::FindServer(service, "http://localhost:" + std::to_string(plainPort)).root,
        https + "/api");

    // Without the CA the certificate is not trusted, and nothing is asked over plain HTTP.
    service.hosts.caFile.clear();
    try {
        twitter_api::FindServer(service, "localhost:" + std::to_string(standin.Port()));
        ADD_FAILURE() << "found a server";
    } catch (const Exception& failure) {
        EXPECT_TRUE(std::string(failure.what()).starts_with("Cannot reach " + https + ": "))
            << failure.what();
        EXPECT_NE(std::string(failure.what()).find("is not trusted"), std::string::npos)
            << failure.what();
    }
    redirect.stop();
    redirecting.join();
}

}  // namespace
}  // namespace standin
