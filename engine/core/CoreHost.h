#pragma once

#include "engine/core/FileReader.h"

#include <string>

// What the core needs of the application it runs in. The application implements
// it and installs itself with SetCoreHost; core tests install a small fake.
class CoreHost
{
public:
    // A catalogue entry found by name: its own name and the reader of its bytes.
    struct ResourceEntry
    {
        std::string name;
        FileReader* reader = nullptr;
    };

    virtual ~CoreHost() = default;

    // The log level, 0 (off) to 4.
    virtual int GetLogLevel() const = 0;

    // The catalogue entry filed under the name. When there is none it returns
    // false if returnNullIfMissing is set, else throws ResourceNotFoundException.
    virtual bool FindResourceEntry(const std::string& name, bool returnNullIfMissing, ResourceEntry& entry) = 0;
};

// The installed host, or null before the application exists.
CoreHost* GetCoreHost();
void SetCoreHost(CoreHost* host);
