#pragma once
// Temporary files that must not outlive an interrupted run. A program that is
// stopped by SIGINT, SIGTERM, SIGHUP or SIGPIPE removes every temporary file
// still registered here, then ends by that signal as it would have without
// the handler (so a shell still sees "killed by SIGTERM").
//
// The handler only walks a list that is never shrunk and calls unlink(), so
// it is safe in a signal handler and on any thread.

namespace interrupt_cleanup
{
// Installs the handlers once; signals the caller's parent ignores stay ignored.
void install();

// Registers a path before the file is created; returns a handle for forget().
int watch(const char* path);
// The file was renamed or removed: the handler leaves that path alone.
void forget(int handle);
} // namespace interrupt_cleanup
