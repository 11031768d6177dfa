#include <gtest/gtest.h>

#include "platform/gui/dialogs.h"
#include "platform/gui/scripted_dialogs.h"

TEST(HeadlessDialogs, CancelsEveryQuestionAndSaysNo) {
    TDialogProvider& d = Dialogs();
    EXPECT_EQ(&d, &HeadlessDialogs());
    EXPECT_FALSE(d.SelectDirectory("Pick", "/tmp"));
    EXPECT_FALSE(d.OpenFile({}));
    EXPECT_FALSE(d.SaveFile({}));
    EXPECT_FALSE(d.InputQuery("Title", "Prompt", "x"));
    testing::internal::CaptureStderr();
    d.ShowMessage("Book created", TMsgKind::Information);
    d.ShowMessage("Cannot create", TMsgKind::Error);
    EXPECT_FALSE(d.Confirm("Overwrite?"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Book created\n"), std::string::npos);
    EXPECT_NE(err.find("Error: Cannot create\n"), std::string::npos);
    EXPECT_NE(err.find("Overwrite?"), std::string::npos);
}

TEST(DialogProvider, OkCancelFallsBackToTheYesNoQuestion) {
    TScriptedDialogs scripted;
    scripted.AnswerConfirm(true);
    scripted.AnswerConfirm(false);
    EXPECT_TRUE(scripted.ConfirmOkCancel("Please insert disk 2 and click OK to continue."));
    EXPECT_FALSE(scripted.ConfirmOkCancel("Please insert disk 3 and click OK to continue."));
    ASSERT_EQ(scripted.Asked().size(), 2u);
    EXPECT_EQ(scripted.Asked()[1].Kind, TDialogKind::Confirm);
    EXPECT_FALSE(
        HeadlessDialogs().ConfirmOkCancel("Please insert disk 2 and click OK to continue."));
}

TEST(DialogProvider, ScopeInstallsAndRestores) {
    TScriptedDialogs scripted;
    {
        TDialogProviderScope scope(scripted);
        EXPECT_EQ(&Dialogs(), &scripted);
        Dialogs().ShowMessage("hello");
    }
    EXPECT_EQ(&Dialogs(), &HeadlessDialogs());
    ASSERT_EQ(scripted.Asked().size(), 1u);
    EXPECT_EQ(scripted.Asked()[0].Text, "hello");
}

TEST(ScriptedDialogs, AnswersInOrderAndRecordsArguments) {
    TScriptedDialogs s;
    s.AnswerDirectory("/src");
    s.AnswerInput("");
    s.CancelInput();
    s.AnswerSave("/out/book");
    s.AnswerConfirm(true);
    s.CancelOpen();

    EXPECT_EQ(s.SelectDirectory("Source", "/home"), std::optional<std::string>("/src"));
    // OK with an empty text is not the same as Cancel.
    EXPECT_EQ(s.InputQuery("Title", "Window title:", "old"), std::optional<std::string>(""));
    EXPECT_EQ(s.InputQuery("Password", "Password:", ""), std::nullopt);
    TFileDialogOptions o;
    o.Title = "Save book";
    o.Filter = "All files|*";
    o.InitialDir = "/out";
    o.FileName = "book";
    EXPECT_EQ(s.SaveFile(o), std::optional<std::string>("/out/book"));
    s.ShowMessage("Done", TMsgKind::Error);
    EXPECT_TRUE(s.Confirm("Sure?"));
    TFileDialogOptions icon;
    icon.Filter = "Icons|*.ico";
    EXPECT_EQ(s.OpenFile(icon), std::nullopt);
    EXPECT_TRUE(s.AllAnswered());

    const auto& a = s.Asked();
    ASSERT_EQ(a.size(), 7u);
    EXPECT_EQ(a[0].Kind, TDialogKind::SelectDirectory);
    EXPECT_EQ(a[0].Caption, "Source");
    EXPECT_EQ(a[0].InitialDir, "/home");
    EXPECT_EQ(a[1].Kind, TDialogKind::InputQuery);
    EXPECT_EQ(a[1].Prompt, "Window title:");
    EXPECT_EQ(a[1].Text, "old");
    EXPECT_EQ(a[3].Kind, TDialogKind::SaveFile);
    EXPECT_EQ(a[3].Caption, "Save book");
    EXPECT_EQ(a[3].Filter, "All files|*");
    EXPECT_EQ(a[3].InitialDir, "/out");
    EXPECT_EQ(a[3].FileName, "book");
    EXPECT_EQ(a[4].Kind, TDialogKind::Message);
    EXPECT_EQ(a[4].MsgKind, TMsgKind::Error);
    EXPECT_EQ(a[5].Text, "Sure?");
    EXPECT_EQ(a[6].Filter, "Icons|*.ico");
    ASSERT_EQ(s.Messages().size(), 1u);
    EXPECT_EQ(s.Messages()[0].Text, "Done");
}

TEST(ScriptedDialogs, FailsLoudlyWhenUnscripted) {
    TScriptedDialogs s;
    EXPECT_THROW(s.Confirm("Overwrite?"), EUnscriptedDialog);
    s.AnswerInput("x");
    try {
        s.SelectDirectory("Source", "");
        FAIL() << "a directory dialog was answered with an input answer";
    } catch (const EUnscriptedDialog& e) {
        EXPECT_NE(std::string(e.what()).find("SelectDirectory"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("InputQuery"), std::string::npos);
    }
    // The mismatched question is still recorded and the answer stays queued.
    EXPECT_EQ(s.Asked().size(), 2u);
    EXPECT_EQ(s.PendingAnswers(), 1u);
    EXPECT_EQ(s.InputQuery("a", "b", "c"), std::optional<std::string>("x"));
}
