#include "UiContext.h"

#include "common/diagnostics.h"

SystemUiContext::SystemUiContext() {
    context.service.hosts = twitter_api::HostConfig::FromEnvironment();
    context.service.diagnostics = &StandardOutputSink();
    context.clock = &clock;
    context.keyboard = &keyboard;
}
