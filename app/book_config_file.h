#pragma once
// The book configuration "folioauthor.html": four "key=value" lines, each ended by CR LF, in the
// order homepage, caption, password, iconfile. The reader finds its home page, title, password
// and icon there. Values are written as they are, without quoting, so none may hold a line
// break: it would start a line of its own and could set another key.
#include <memory>
#include <optional>
#include <string>

#include "platform/base/interrupt_cleanup.h"

std::string BookConfigText(const std::string& homePage, const std::string& caption,
                           const std::string& password, const std::string& iconFile);

bool HoldsLineBreak(const std::string& text);

// Why these values cannot go into a configuration (the first that cannot), or nothing.
std::optional<std::string> BookConfigProblem(const std::string& homePage,
                                             const std::string& caption,
                                             const std::string& password,
                                             const std::string& iconFile);

// The configuration of one build, written where only this build finds it: a folder of its own
// (mode 0700) in the temporary directory ($TMPDIR, else /tmp), holding "folioauthor.html" (mode
// 0600), so the password is never readable by others and two builds at once never share a
// file. Both are removed when the object goes, and on an interrupting signal.
class TPrivateBookConfig {
public:
    // Raises Exception with the reason when it cannot be written whole.
    explicit TPrivateBookConfig(const std::string& text);
    ~TPrivateBookConfig();
    TPrivateBookConfig(const TPrivateBookConfig&) = delete;
    TPrivateBookConfig& operator=(const TPrivateBookConfig&) = delete;

    // The file to pack; its name is "folioauthor.html".
    const std::string& Path() const { return path_; }

private:
    void Remove();

    std::string dir_;
    std::string path_;
    std::unique_ptr<TInterruptCleanup> dirCleanup_;
    std::unique_ptr<TInterruptCleanup> fileCleanup_;
};
