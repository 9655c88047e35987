#include "engine/runtime/ImagePerformance.h"

namespace {
ImagePerformanceMonitor* g_Monitor = nullptr;
}

ImagePerformanceMonitor* GetImagePerformanceMonitor()
{
    return g_Monitor;
}

void SetImagePerformanceMonitor(ImagePerformanceMonitor* monitor)
{
    g_Monitor = monitor;
}
