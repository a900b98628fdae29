// SPDX-License-Identifier: MIT
#include "common/ui/ScriptedResponder.h"

#include "tests/support/GTestResponder.h"

#include <gtest/gtest.h>

using namespace velnet::ui;

TEST(ScriptedResponder, AnswersFromTheScriptInOrder)
{
    velnet::test::GTestResponder responder;
    responder.expect("Save Changes Before Exiting ?", Answer::Yes)
        .expect({"Done.", "Servcfg", Buttons::Ok, Icon::Information, Answer::Ok, {}});
    EXPECT_EQ(messageBox("Save Changes Before Exiting ?", "Servcfg", Buttons::YesNoCancel,
                         Icon::Question),
              Answer::Yes);
    EXPECT_EQ(messageBox("Done.", "Servcfg", Buttons::Ok, Icon::Information), Answer::Ok);
    ASSERT_EQ(responder.shown().size(), 2u);
    EXPECT_EQ(responder.shown()[0].buttons, Buttons::YesNoCancel);
}

TEST(ScriptedResponder, ReportsUnexpectedDifferentAndUnusedBoxes)
{
    std::vector<std::string> failures;
    {
        ScriptedResponder responder([&](const std::string& m) { failures.push_back(m); });
        // Nothing scripted: the box fails the test and gets the cancelling answer.
        EXPECT_EQ(messageBox("Surprise", "x", Buttons::YesNo), Answer::No);
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_NE(failures[0].find("unexpected message box"), std::string::npos);

        responder.expect({"Text", "Caption", Buttons::Ok, Icon::Error, Answer::Ok, {}});
        EXPECT_EQ(messageBox("Text ", "Caption", Buttons::Ok, Icon::Error), Answer::Ok);
        ASSERT_EQ(failures.size(), 2u);
        EXPECT_NE(failures[1].find("expected \"Text\""), std::string::npos);

        responder.expect({"Text", "Caption", Buttons::Ok, Icon::Error, Answer::Ok, {}});
        messageBox("Text", "Caption", Buttons::Ok, Icon::Warning);
        ASSERT_EQ(failures.size(), 3u);
        EXPECT_NE(failures[2].find("icon: expected Error"), std::string::npos);

        responder.expect("Never shown");
    }
    ASSERT_EQ(failures.size(), 4u);
    EXPECT_NE(failures[3].find("Never shown"), std::string::npos);
    // Gone with the responder: no presenter, so boxes answer with their cancel button.
    EXPECT_EQ(messagePresenter(), nullptr);
    EXPECT_EQ(messageBox("x", "y", Buttons::AbortRetryIgnore), Answer::Ignore);
}
