#pragma once

// Sets the C heap up for a program that fills tens of megabytes with pictures
// and sounds as it starts: large blocks come from one heap that keeps what is
// freed, and that heap is backed by huge pages where the system offers them;
// every thread allocates from it. Call first thing in main, before the first
// large allocation and the first thread.
void PrepareHeapForLargePictures();
