#include "engine/core/CoreHost.h"

namespace {
CoreHost* g_Host = nullptr;
}

CoreHost* GetCoreHost()
{
    return g_Host;
}

void SetCoreHost(CoreHost* host)
{
    g_Host = host;
}
