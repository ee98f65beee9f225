#include "platform/hosting.h"

namespace {

Host* gHost = nullptr;

}  // namespace

void InstallHost(Host* host) { gHost = host; }
Host* CurrentHost() { return gHost; }
