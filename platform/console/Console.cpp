#include "platform/console/Console.h"

#include "platform/console/DescriptorConsole.h"

#include <unistd.h>

namespace {

std::unique_ptr<Console>& OpenedConsole()
{
    static std::unique_ptr<Console> console;
    return console;
}

} // namespace

void OpenConsole()
{
    CloseConsole();
    OpenConsole(std::make_unique<DescriptorConsole>(STDIN_FILENO, stdout));
}

void OpenConsole(std::unique_ptr<Console> console)
{
    OpenedConsole() = std::move(console);
}

void CloseConsole()
{
    OpenedConsole().reset();
}

Console* GetConsole()
{
    return OpenedConsole().get();
}

void WriteToConsole(const std::string& text)
{
    if (Console* console = GetConsole())
        console->Write(text);
}
