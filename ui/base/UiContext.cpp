#include "base/UiContext.h"

#include "common/diagnostics.h"
#include "settings/serviceconf.h"

SystemUiContext::SystemUiContext() {
    context.service.hosts = settings::ServiceHosts();
    context.service.diagnostics = &StandardOutputSink();
    context.clock = &clock;
    context.keyboard = &keyboard;
    context.logWriter = std::make_shared<twitter_api::LogWriter>();
}
