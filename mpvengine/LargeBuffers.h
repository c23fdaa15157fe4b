#pragma once

// Playing a file allocates and frees blocks of megabytes (decoded pictures,
// demuxer packets, the waveform's peaks) on many short-lived threads. glibc
// by default raises its threshold for mapping such blocks of their own each
// time one is freed, so later ones come from its heaps instead, and what is
// freed there mostly stays resident: the program grew by about 0.1 MiB for
// every file opened. This keeps the threshold where it starts, so that
// every large block goes back to the system once freed. Process-wide; once
// is enough, more calls do nothing.
void ReturnLargeBuffersWhenFreed();
