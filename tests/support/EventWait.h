// How long a test waits for an event it needs (a signal, a window, a file or
// a line from a child, work ending off the window's thread) before it fails.
// Far longer than any of them takes on a machine busy with other work, so
// that only an event that never comes fails a test: a wait ends as soon as
// its event has come, and this bound never paces a test.
#pragma once

constexpr int kEventWaitMilliseconds = 60000;
