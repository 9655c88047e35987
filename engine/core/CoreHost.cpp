#include "engine/core/CoreHost.h"

#include "engine/core/Exception.h"

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

CoreHost& RequireCoreHost()
{
    CoreHost* host = g_Host;
    VELK_ASSERT(host != 0);
    return *host;
}

void PostNewEvent(int type, EventReceiver* receiver, Object* sender, std::shared_ptr<LuaObject> payload)
{
    CoreHost& host = RequireCoreHost();
    auto* event = new Event(static_cast<uint32_t>(type), sender, std::move(payload));
    event->AddRef();
    host.PostEvent(receiver, MakeEventRecord(static_cast<uint8_t>(type), 0, event));
}

bool SendNewEvent(int type, EventReceiver* dest, Object* sender, std::shared_ptr<LuaObject> payload)
{
    VELK_ASSERT_MSG(dest != 0, "Application::SendEvent cannot currently be passed a NULL parameter.");
    CoreHost& host = RequireCoreHost();
    std::unique_ptr<Event> event(new Event(static_cast<uint32_t>(type), sender, std::move(payload)));
    return host.SendEvent(dest, MakeEventRecord(static_cast<uint8_t>(type), 0, event.get()));
}

bool SendEvent(EventReceiver* receiver, int type, int code, void* data1, void* data2)
{
    return RequireCoreHost().SendEvent(receiver, MakeEventRecord(static_cast<uint8_t>(type), code, data1, data2));
}
