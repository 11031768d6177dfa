#pragma once
// Opening a URL or a file with the desktop's handler (xdg-open), as the shell's "open" verb does
// on other systems. The handler is started asynchronously and its result is ignored: failures
// are silent, and the caller never waits for a browser to start.
#include <functional>
#include <string>

// Opens target (a URL such as "http://..." or "mailto:...", or a file path; UTF-8).
// Returns once the handler has been started (or could not be).
void ShellOpen(const std::string& target);

// ShellOpen that says when nothing opened the target: onFailure runs from the application's
// loop with a reason when the handler cannot be started (no xdg-open) or ends within
// watchMs with a failure status (xdg-open found no program for that kind of link). A handler
// still running after watchMs counts as opened. With a launch hook installed the hook gets the
// target and nothing fails.
void ShellOpenWatched(const std::string& target,
                      std::function<void(const std::string& reason)> onFailure, int watchMs = 5000);

// Tests replace the launch to record what would have been opened. Returns the previous hook;
// an empty hook restores the real launcher.
using TLaunchHook = std::function<void(const std::string& target)>;
TLaunchHook SetLaunchHook(TLaunchHook hook);

// The real launcher, bypassing any hook: starts `program target` with standard input, output
// and error on /dev/null, found through PATH. Returns false when it could not be started.
bool SpawnDetached(const std::string& program, const std::string& target);
