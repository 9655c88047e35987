#include "engine/runtime/Resource.h"

#include "engine/core/Exception.h"

namespace {
ResourceCatalog* g_Catalog = nullptr;
std::int32_t g_MemUsage[kNumMemUsageCategories] = {};
}

ResourceInfo::~ResourceInfo()
{
    // Resource before reader: a resource may still point into the bytes its reader holds.
    m_Resource.reset();
    m_Reader.reset();
}

ResourceCatalog* GetResourceCatalog()
{
    return g_Catalog;
}

void SetResourceCatalog(ResourceCatalog* catalog)
{
    g_Catalog = catalog;
}

ResourceCatalog& RequireResourceCatalog()
{
    ResourceCatalog* catalog = g_Catalog;
    VELK_ASSERT(catalog != 0);
    return *catalog;
}

void AddMemUsage(MemUsageCategory category, std::int32_t bytes)
{
    VELK_ASSERT(category >= 0 && category < kNumMemUsageCategories);
    // Wraps like the 32-bit counter it is, without signed overflow.
    g_MemUsage[category] = static_cast<std::int32_t>(static_cast<std::uint32_t>(g_MemUsage[category]) +
                                                     static_cast<std::uint32_t>(bytes));
}

std::int32_t GetMemUsage(MemUsageCategory category)
{
    VELK_ASSERT(category >= 0 && category < kNumMemUsageCategories);
    return g_MemUsage[category];
}

void ResetMemUsage()
{
    for (std::int32_t& counter : g_MemUsage)
        counter = 0;
}
