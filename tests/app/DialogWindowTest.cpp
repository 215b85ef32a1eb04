// The dialog's handlers against a window that checks every call: icons, the
// status text at start, painting while minimised, the drag icon.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/CSetupApp.h"
#include "app/CSetupDlg.h"
#include "install/SetupMachine.h"
#include "res/StringTable.h"

namespace setup_test {
namespace {

using ::testing::_;
using ::testing::InSequence;
using ::testing::Return;
using ::testing::StrEq;
using ::testing::StrictMock;

class MockDialogWindow : public plat::IDialogWindow {
 public:
  MOCK_METHOD(plat::Hwnd, Window, (), (override));
  MOCK_METHOD(plat::Icon, LoadIconA, (int resourceId), (override));
  MOCK_METHOD(void, SetIcon, (int which, plat::Icon icon), (override));
  MOCK_METHOD(void, SetDlgItemTextA, (int id, const char* text), (override));
  MOCK_METHOD(void, EnableDlgItem, (int id, plat::BOOL enable), (override));
  MOCK_METHOD(void, SetFocusToDlgItem, (int id), (override));
  MOCK_METHOD(plat::BOOL, IsIconic, (), (override));
  MOCK_METHOD(int, GetSystemMetrics, (int index), (override));
  MOCK_METHOD(plat::Rect, GetClientRect, (), (override));
  MOCK_METHOD(void, PaintIcon, (plat::Icon icon, int x, int y), (override));
  MOCK_METHOD(void, DefaultPaint, (), (override));
  MOCK_METHOD(void, EndDialog, (int result), (override));
};

constexpr plat::Icon kIcon = 0x128;

class DialogWindowTest : public SetupMachineTest {
 protected:
  void SetUp() override {
    NewMachine(OsXp());
    app_ = std::make_unique<CSetupApp>(machine_->Os());
    dialog_ = std::make_unique<CSetupDlg>(machine_->Os(), *app_);
    EXPECT_CALL(window_, LoadIconA(128)).WillOnce(Return(kIcon));
    dialog_->Attach(&window_);
  }
  void TearDown() override {
    dialog_.reset();
    app_.reset();
    SetupMachineTest::TearDown();
  }

  StrictMock<MockDialogWindow> window_;
  std::unique_ptr<CSetupApp> app_;
  std::unique_ptr<CSetupDlg> dialog_;
};

TEST_F(DialogWindowTest, InitSetsBothIconsThenTheFirstText) {
  {
    InSequence order;
    EXPECT_CALL(window_, SetIcon(plat::kIconBig, kIcon));
    EXPECT_CALL(window_, SetIcon(plat::kIconSmall, kIcon));
    EXPECT_CALL(window_, SetDlgItemTextA(1000, StrEq(res::kStrings[1])));
  }
  EXPECT_EQ(dialog_->OnInitDialog(), 1);
  EXPECT_EQ(dialog_->InstallMode(), 1);
}

TEST_F(DialogWindowTest, MinimisedWindowDrawsTheIconCentred) {
  struct Case {
    plat::Rect client;
    int iconWidth, iconHeight;
    int x, y;
  };
  const Case cases[] = {
      {{0, 0, 36, 36}, 32, 32, 2, 2},
      {{0, 0, 101, 50}, 32, 32, 35, 9},    // (101 - 32 + 1) / 2, (50 - 32 + 1) / 2
      {{10, 5, 110, 45}, 32, 16, 34, 12},  // the rectangle's size counts, not its corner
  };
  for (const Case& c : cases) {
    EXPECT_CALL(window_, IsIconic()).WillOnce(Return(1));
    EXPECT_CALL(window_, GetSystemMetrics(plat::kSmCxIcon)).WillOnce(Return(c.iconWidth));
    EXPECT_CALL(window_, GetSystemMetrics(plat::kSmCyIcon)).WillOnce(Return(c.iconHeight));
    EXPECT_CALL(window_, GetClientRect()).WillOnce(Return(c.client));
    EXPECT_CALL(window_, PaintIcon(kIcon, c.x, c.y));
    dialog_->OnPaint();
    ::testing::Mock::VerifyAndClearExpectations(&window_);
  }
}

TEST_F(DialogWindowTest, OpenWindowIsPaintedByTheFramework) {
  EXPECT_CALL(window_, IsIconic()).WillOnce(Return(0));
  EXPECT_CALL(window_, DefaultPaint());
  dialog_->OnPaint();
}

TEST_F(DialogWindowTest, DragIconIsTheMainIcon) { EXPECT_EQ(dialog_->OnQueryDragIcon(), kIcon); }

TEST_F(DialogWindowTest, EscapeDoesNothingAndExitEndsWithCancel) {
  dialog_->OnCancel();  // the strict mock fails on any call
  EXPECT_CALL(window_, EndDialog(plat::kIdCancel));
  dialog_->OnCommand(1001, plat::kBnClicked);
}

TEST_F(DialogWindowTest, OtherCommandsAreIgnored) {
  dialog_->OnCommand(1001, 5);  // not a click
  dialog_->OnCommand(1000, plat::kBnClicked);
  dialog_->OnCommand(2, plat::kBnClicked);
}

}  // namespace
}  // namespace setup_test
