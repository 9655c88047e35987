#pragma once

// Where the surface and pixel code report their work to the performance
// counters. The application installs its performance managers here; with
// nothing installed, nothing is counted or timed.
class ImagePerformanceMonitor
{
public:
    virtual ~ImagePerformanceMonitor() = default;
    // Whether the tick counters are measuring; the pixel operations time themselves only then.
    virtual bool IsMeasuring() const = 0;
    // An alpha blit of width x height pixels that took the given time.
    virtual void AddCompositing(int width, int height, double milliseconds) = 0;
    // An alpha-mask application of width x height pixels that took the given time.
    virtual void AddClip(int width, int height, double milliseconds) = 0;
    // Raises the named integer counter by one.
    virtual void IncrementCounter(const char* name) = 0;
};

ImagePerformanceMonitor* GetImagePerformanceMonitor();
void SetImagePerformanceMonitor(ImagePerformanceMonitor* monitor);
