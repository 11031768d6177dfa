#pragma once
// A builder wired to scripted dialogs and a scripted homepage picker, in a scratch directory
// that stands for the builder's own directory (where the template and the settings lie).
#include <gtest/gtest.h>

#include "app/folio_builder.h"
#include "app/homepage_picker.h"
#include "platform/gui/scripted_dialogs.h"
#include "tests/support/files.h"
#include "tests/support/temp_dir.h"

class BuilderTest : public ::testing::Test {
protected:
    BuilderTest()
        : scope_(dialogs), builder(tmp.Path() + "/builder", tmp.Path() + "/builder", picker) {
        std::filesystem::create_directories(tmp.Path() + "/builder");
    }

    // A source tree with a few pages; returns its directory (without a trailing "/").
    std::string MakeSite() {
        const std::string src = tmp.Path() + "/site";
        folio_test::WriteFile(src + "/index.html", "<html><body>home</body></html>");
        folio_test::WriteFile(src + "/page.htm", "<p>page</p>");
        folio_test::WriteFile(src + "/img/pic.gif", std::string("GIF89a") + std::string(100, '\1'));
        return src;
    }
    // Where the homepage picker lists the page whose full path is given (-1: not listed).
    int PageIndex(const std::string& full) const {
        const auto pages = HomePageCandidates(builder.CollectedFiles(), builder.SourceDir);
        for (size_t i = 0; i < pages.Full.size(); ++i) {
            if (pages.Full[i] == full) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
    // Chooses the source directory through the directory command.
    void ChooseDirectory(const std::string& dir) {
        dialogs.AnswerDirectory(dir);
        builder.seldirClick();
    }

    folio_test::TempDir tmp;
    TScriptedDialogs dialogs;

private:
    TDialogProviderScope scope_;

protected:
    TScriptedHomePagePicker picker;
    TFolioBuilder builder;
};
