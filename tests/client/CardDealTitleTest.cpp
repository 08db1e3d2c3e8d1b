#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ClientTestSupport.h"
#include "client/table/CardDealTitle.h"
#include "client/table/CardDealTitleDelegate.h"

namespace tarvendo::client {
namespace {

class RecordingDelegate : public CardDealTitleDelegate {
public:
    void cardDealTitleDidAccept(const Json& dictionary) override {
        accepted.push_back(dictionary);
        dialogWasOpen.push_back(dialog && dialog->isVisible());
    }
    void cardDealTitleDidCancel() override { ++cancelled; }

    CardDealTitle* dialog = nullptr;
    std::vector<Json> accepted;
    std::vector<bool> dialogWasOpen;
    int cancelled = 0;
};

class CardDealTitleTest : public ::testing::Test {
protected:
    void SetUp() override {
        delegate_.dialog = &dialog_;
        dialog_.setDelegate(&delegate_);
        dialog_.show();
        dialog_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
        dialog_.gameTitle()->setFocus();
    }
    void type(const QString& text) { QTest::keyClicks(dialog_.gameTitle(), text); }

    CardDealTitle dialog_;
    RecordingDelegate delegate_;
    test::AlertRecorder alerts_;
};

// By the button or by Return in the field; typed text is capitalised.
TEST_F(CardDealTitleTest, AcceptPassesTheTrimmedTitleOnceBeforeClosing) {
    type("story 12 of iOS");
    dialog_.gameTitle()->setText("  " + dialog_.gameTitle()->text() + " \t");
    dialog_.acceptButton()->click();
    ASSERT_EQ(delegate_.accepted.size(), 1U);
    EXPECT_EQ(delegate_.accepted[0], (Json{{"title", "Story 12 of iOS"}}));
    EXPECT_TRUE(delegate_.dialogWasOpen[0]);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);

    dialog_.show();
    dialog_.gameTitle()->setText("Login page");
    QTest::keyClick(dialog_.gameTitle(), Qt::Key_Return);
    ASSERT_EQ(delegate_.accepted.size(), 2U);
    EXPECT_EQ(delegate_.accepted[1].at("title"), "Login page");
    EXPECT_EQ(delegate_.cancelled, 0);
    EXPECT_TRUE(alerts_.alerts().empty());
}

TEST_F(CardDealTitleTest, BlankTitleIsRefusedWithAnAlertAndTheFieldGetsTheFocus) {
    for (const char* blank : {"", "   \t  "}) {
        dialog_.gameTitle()->setText(blank);
        dialog_.acceptButton()->setFocus();
        dialog_.acceptButton()->click();
        EXPECT_TRUE(dialog_.gameTitle()->hasFocus()) << '"' << blank << '"';
    }
    EXPECT_TRUE(delegate_.accepted.empty());
    EXPECT_TRUE(dialog_.isVisible());
    ASSERT_EQ(alerts_.alerts().size(), 2U);
    EXPECT_EQ(alerts_.alerts()[0].message, "The deal name can't by empty!");
    EXPECT_EQ(alerts_.alerts()[0].informative, "Type the name");
}

TEST_F(CardDealTitleTest, CancelAndEscapeCloseAndTellOnlyThatNoTitleCame) {
    type("Story");
    dialog_.cancelButton()->click();
    EXPECT_FALSE(dialog_.isVisible());
    dialog_.show();
    QTest::keyClick(dialog_.gameTitle(), Qt::Key_Escape);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_TRUE(delegate_.accepted.empty());
    EXPECT_EQ(delegate_.cancelled, 2);
}

TEST_F(CardDealTitleTest, WithoutADelegateTheTitleIsDroppedAndTheDialogCloses) {
    dialog_.setDelegate(nullptr);
    type("Story");
    dialog_.acceptButton()->click();
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_TRUE(delegate_.accepted.empty());
}

}  // namespace
}  // namespace tarvendo::client
