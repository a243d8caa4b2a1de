#pragma once

class QProcess;

// Waits for a started process in the event loop: window events (painting, timers) go on,
// and no CPU is spent while the process runs. Returns its exit code; a process that ended by
// a signal (a crash, or a stop from the user) gives -1. A process that cannot be waited for
// (it never started) counts as ended with 0, so callers check the start themselves.
int WaitProcess(QProcess& process);
