// The dialog framework under the setup dialog: data exchange, the default
// handlers, the window's lifetime, string loading.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/CSetupApp.h"
#include "framework/CDialog.h"
#include "framework/CStatic.h"
#include "framework/DataExchange.h"
#include "framework/ResourceString.h"
#include "install/SetupMachine.h"
#include "res/StringTable.h"

namespace setup_test {
namespace {

using ::testing::ElementsAre;

// Records its data exchanges; the first binds control 1000.
class RecordingDialog : public CDialog {
 public:
  explicit RecordingDialog(plat::Platform& os) : CDialog(os, 102) {}
  void DoDataExchange(CDataExchange* pDX) override {
    exchanges.push_back(pDX->m_bSaveAndValidate);
    DDX_Control(pDX, 1000, text);
  }
  plat::BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    text.SetWindowText("bound");
    return 1;
  }
  void OnCommand(int controlId, int) override {
    if (controlId == 1001) OnOK();
  }
  std::vector<plat::BOOL> exchanges;
  CStatic text;
};

class FrameworkTest : public SetupMachineTest {};

TEST_F(FrameworkTest, OkExchangesBackThenEndsWithIdOk) {
  NewMachine(OsXp());
  machine_->SetUserActions({sim::UserAction::kPressExit});
  RecordingDialog dialog(machine_->Os());
  EXPECT_EQ(dialog.DoModal(), plat::kIdOk);
  // Into the controls at start, back out on OK.
  EXPECT_THAT(dialog.exchanges, ElementsAre(0, 1));
  EXPECT_EQ(dialog.text.GetDlgCtrlID(), 1000);
  EXPECT_EQ(machine_->DialogHistory().back().statusText, "bound");
  EXPECT_EQ(machine_->DialogHistory().back().ended, "IDOK");
}

TEST_F(FrameworkTest, CancelEndsWithIdCancel) {
  NewMachine(OsXp());
  machine_->SetUserActions({sim::UserAction::kPressEscape});
  RecordingDialog dialog(machine_->Os());
  EXPECT_EQ(dialog.DoModal(), plat::kIdCancel);
  EXPECT_THAT(dialog.exchanges, ElementsAre(0));
}

TEST_F(FrameworkTest, NothingReachesTheWindowAfterItIsGone) {
  NewMachine(OsXp());
  machine_->SetUserActions({sim::UserAction::kPressEscape});
  RecordingDialog dialog(machine_->Os());
  dialog.DoModal();
  EXPECT_EQ(dialog.Window(), nullptr);
  const std::size_t snapshots = machine_->DialogHistory().size();
  dialog.text.SetWindowText("too late");
  dialog.EndDialog(plat::kIdOk);
  dialog.OnPaint();
  EXPECT_EQ(machine_->DialogHistory().size(), snapshots);
}

TEST_F(FrameworkTest, StringsThatCannotBeLoadedFallBack) {
  NewMachine(OsXp());
  plat::IUi& ui = machine_->Os().ui;
  EXPECT_EQ(LoadResourceString(ui, 7, "fallback"), res::kStrings[7]);
  machine_->AddFault("LoadString", "*", 1814);
  EXPECT_EQ(LoadResourceString(ui, 7, "fallback"), "fallback");

  // The dialog and the question keep their texts.
  WriteMedium();
  AddDriverInstance(true, "0000", "Quorvex USB Compound Device");
  machine_->SetQuestionAnswer(plat::kIdCancel);
  machine_->SetUserActions({sim::UserAction::kPressInstall, sim::UserAction::kPressExit});
  CSetupApp app(machine_->Os());
  app.InitInstance();
  EXPECT_EQ(machine_->DialogHistory().front().status, 1);
  EXPECT_EQ(machine_->DialogHistory().back().status, 4);
  ASSERT_EQ(machine_->MessageBoxes().size(), 1u);
  EXPECT_EQ(machine_->MessageBoxes()[0].text, res::kStrings[2]);
}

}  // namespace
}  // namespace setup_test
