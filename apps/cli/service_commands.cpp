#include <iostream>
#include <map>

#include "commands.h"
#include "common/diagnostics.h"
#include "json.h"
#include "settings/serviceconf.h"
#include "settings/settinginfo.h"
#include "twitter_api/conversions/number.h"
#include "twitter_api/conversions/text.h"
#include "twitter_api/exchange/serverroot.h"
#include "twitter_api/logstore/logstore.h"
#include "twitter_api/logstore/sidefiles.h"
#include "twitter_api/requests/conversation.h"
#include "twitter_api/requests/lists.h"
#include "twitter_api/requests/status.h"
#include "twitter_api/requests/timeline.h"

namespace {

using twitter_api::ContributionPtr;

// The library's diagnostic lines go to standard error; results alone to standard output.
twitter_api::Service ServiceFromEnvironment(DiagnosticSink& diagnostics) {
    twitter_api::Service service;
    service.hosts = settings::ServiceHosts();
    service.diagnostics = &diagnostics;
    return service;
}

std::string StoredCredential() {
    DialogSetting::LoadSettingInfo();
    return gSetting->Credential();
}

// Positional words and "--name value" options, each option allowed once.
struct Words {
    Arguments positional;
    std::map<std::string, std::string> options;
};

Words Parse(const Arguments& args, std::initializer_list<const char*> known) {
    Words words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) != 0) {
            words.positional.push_back(args[i]);
            continue;
        }
        bool isKnown = false;
        for (const char* option : known) {
            isKnown = isKnown || args[i] == option;
        }
        if (!isKnown || i + 1 == args.size()) {
            throw UsageError{"unknown option or missing value: " + args[i]};
        }
        words.options[args[i]] = args[i + 1];
        ++i;
    }
    return words;
}

int64_t Option64(const Words& words, const std::string& name, int64_t fallback) {
    const auto found = words.options.find(name);
    return found == words.options.end() ? fallback : twitter_api::ToInt64(found->second);
}

int32_t Option32(const Words& words, const std::string& name, int32_t fallback) {
    const auto found = words.options.find(name);
    return found == words.options.end() ? fallback : twitter_api::ToInt32(found->second);
}

void RequirePositional(const Words& words, size_t count, const char* what) {
    if (words.positional.size() != count) {
        throw UsageError{what};
    }
}

// The status of a request that returned: 0, or 1 after its failure message on standard error.
int Outcome(bool success, const std::string& failure) {
    if (success) {
        return 0;
    }
    std::cerr << failure << '\n';
    return 1;
}

int PrintContributions(bool success, const std::string& failure,
                       const std::vector<ContributionPtr>& contributions) {
    for (const auto& c : contributions) {
        std::cout << Print(ToJson(*c)) << '\n';
    }
    return Outcome(success, failure);
}

// The list requests return an empty list for a failure too; only a message tells them apart.
int PrintStrings(const std::string& failure, const std::vector<std::string>& strings) {
    for (const auto& s : strings) {
        std::cout << Print(nlohmann::ordered_json(s)) << '\n';
    }
    return Outcome(failure.empty(), failure);
}

int Fetch(const twitter_api::Service& service, const Arguments& args) {
    if (args.empty()) {
        throw UsageError{"fetch needs a timeline kind"};
    }
    const std::string kind = args[0];
    const Words words =
        Parse(Arguments(args.begin() + 1, args.end()), {"--since", "--count", "--rpp", "--page"});
    std::vector<ContributionPtr> out;
    bool success = false;
    std::string failure;
    if (kind == "timeline" || kind == "mentions" || kind == "directmessages") {
        RequirePositional(words, 0, "fetch timeline|mentions|directmessages takes no names");
        const int64_t since = Option64(words, "--since", -1);
        const std::string credential = StoredCredential();
        if (kind == "timeline") {
            success = GetUserPrivateTimeLine(service, out, credential, since,
                                             Option32(words, "--count", 200), &failure);
        } else if (kind == "mentions") {
            success = GetUserMentions(service, out, credential, since,
                                      Option32(words, "--count", 200), &failure);
        } else {
            success = GetUserDirectMessage(service, out, credential, since,
                                           Option32(words, "--count", 20), &failure);
        }
    } else if (kind == "list") {
        RequirePositional(words, 2, "fetch list needs OWNER and NAME");
        success = GetListTimeLine(service, out, words.positional[0], words.positional[1],
                                  StoredCredential(), Option64(words, "--since", -1),
                                  Option32(words, "--count", 200), &failure);
    } else if (kind == "search") {
        RequirePositional(words, 1, "fetch search needs QUERY");
        success = GetSearchTimeLine(
            service, out, StoredCredential(), twitter_api::UriEncode(words.positional[0]),
            Option32(words, "--rpp", 100), Option32(words, "--page", 1), &failure);
    } else {
        throw UsageError{"unknown timeline kind " + kind};
    }
    return PrintContributions(success, failure, out);
}

int PostStatus(const twitter_api::Service& service, const Arguments& args) {
    const Words words = Parse(args, {"--reply"});
    RequirePositional(words, 1, "post needs TEXT");
    std::string failure;
    const bool success = twitter_api::Post(service, StoredCredential(), words.positional[0],
                                           Option64(words, "--reply", -1), &failure);
    return Outcome(success, failure);
}

template <bool (*Request)(const twitter_api::Service&, const std::string&, int64_t,
                          twitter_api::FailureOut)>
int Favorite(const twitter_api::Service& service, const Arguments& args) {
    if (args.size() != 1) {
        throw UsageError{"favorite and unfavorite need one status ID"};
    }
    std::string failure;
    const bool success =
        Request(service, StoredCredential(), twitter_api::ToInt64(args[0]), &failure);
    return Outcome(success, failure);
}

int64_t StatusIdArgument(const Arguments& args, const char* what) {
    if (args.size() != 1) {
        throw UsageError{what};
    }
    return twitter_api::ToInt64(args[0]);
}

int Repeat(const twitter_api::Service& service, const Arguments& args) {
    const int64_t id = StatusIdArgument(args, "repeat needs one status ID");
    std::string failure;
    return Outcome(twitter_api::Retweet(service, StoredCredential(), id, &failure), failure);
}

int Message(const twitter_api::Service& service, const Arguments& args) {
    if (args.size() != 2) {
        throw UsageError{"message needs NAME and TEXT"};
    }
    std::string failure;
    const bool success =
        twitter_api::NewDirectMessage(service, StoredCredential(), args[0], args[1], &failure);
    return Outcome(success, failure);
}

// A deletion the service carried out goes into the account's deleted.txt, which the window's
// pages read to strike the status through.
int Delete(const twitter_api::Service& service, const Arguments& args) {
    const int64_t id = StatusIdArgument(args, "delete needs one status ID");
    const std::string credential = StoredCredential();
    std::string failure;
    if (!twitter_api::DestroyStatus(service, credential, id, &failure)) {
        return Outcome(false, failure);
    }
    const std::string folder = twitter_api::GetAccountLogDirectory(
        gSetting->GetAccountName(), twitter_api::ServerHost(service.hosts));
    twitter_api::StatusNotes(folder, service.diagnostics).AddDeleted(id);
    return 0;
}

// The status and those it answers, oldest first: one line each, as fetch prints them.
int Conversation(const twitter_api::Service& service, const Arguments& args) {
    const int64_t id = StatusIdArgument(args, "conversation needs one status ID");
    const twitter_api::SConversation conversation = twitter_api::GetConversation(
        service, StoredCredential(), id, twitter_api::kMaxConversationSteps + 1);
    return PrintContributions(conversation.failure.empty(), conversation.failure,
                              conversation.statuses);
}

template <std::vector<std::string> (*Request)(const twitter_api::Service&, const std::string&,
                                              twitter_api::FailureOut)>
int Names(const twitter_api::Service& service, const Arguments& args) {
    if (!args.empty()) {
        throw UsageError{"this command takes no arguments"};
    }
    std::string failure;
    const std::vector<std::string> names = Request(service, StoredCredential(), &failure);
    return PrintStrings(failure, names);
}

}  // namespace

int RunServiceCommand(const std::string& command, const Arguments& args) {
    StreamSink diagnostics(std::cerr);
    const twitter_api::Service service = ServiceFromEnvironment(diagnostics);
    using Handler = int (*)(const twitter_api::Service&, const Arguments&);
    const std::map<std::string, Handler> handlers = {
        {"fetch", Fetch},
        {"lists", Names<twitter_api::GetUserLists>},
        {"subscriptions", Names<twitter_api::GetUserListSubscriptions>},
        {"saved-searches", Names<twitter_api::GetUserSavedSearches>},
        {"post", PostStatus},
        {"favorite", Favorite<twitter_api::CreateFavorite>},
        {"unfavorite", Favorite<twitter_api::DestroyFavorite>},
        {"repeat", Repeat},
        {"message", Message},
        {"delete", Delete},
        {"conversation", Conversation},
    };
    return handlers.at(command)(service, args);
}
