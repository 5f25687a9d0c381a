#include "server/ServerMain.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "server/DedicatedServer.h"

#include <cstdarg>

namespace {
DedicatedServer* g_server = nullptr;
}

int ServerMain(int argc, char** argv)
{
    DedicatedServer server(GetEngine());
    g_server = &server;
    int code = server.Main(argc, argv);
    g_server = nullptr;
    return code;
}

void ShutdownServer()
{
    if (g_server)
        g_server->Shutdown();
}

void PrintConsoleMessage(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::u16string text = Util::FormatV(format, args);
    va_end(args);
    if (g_server)
        g_server->PrintMessage(text);
}
