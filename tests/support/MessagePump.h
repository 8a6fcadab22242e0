// Message loops for the tests, each bounded in time: a queue that refills
// itself (a re-tiling loop) makes a pump give up and say so, instead of
// hanging the test program.
#pragma once

#include <windows.h>

#include <functional>

namespace support {

// Dispatches what is queued now, without waiting; false once limitMs have
// passed since it began.
bool PumpQueued(DWORD limitMs = INFINITE);

// Dispatches messages until none has arrived for quietMs; false if the queue
// had not settled after limitMs.
bool PumpUntilQuiet(DWORD quietMs, DWORD limitMs);

// Dispatches messages one at a time until done() holds, asked after each
// one, so that the caller sees the very message that made it true; false
// after limitMs.
bool PumpUntil(const std::function<bool()>& done, DWORD limitMs);

// Dispatches messages, the ones other threads send included, until handle is
// signalled; false after limitMs.
bool PumpUntilSignalled(HANDLE handle, DWORD limitMs);

}  // namespace support
