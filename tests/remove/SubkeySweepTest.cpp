// The index rule of the subkey sweep, read off the enumeration calls it makes.
#include <set>

#include "remove/RemoverMachine.h"

namespace remove_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Trace = std::vector<std::pair<plat::DWORD, std::string>>;

constexpr const char* kParent = "System\\CurrentControlSet\\Control\\Sweep";
const std::string kHklmParent = std::string("HKLM\\") + kParent;

class SubkeySweepTest : public RemoverTest {
 protected:
  sim::Machine& MachineWith(bool win2kXp, std::initializer_list<const char*> subkeys) {
    sim::Machine& m = NewMachine(win2kXp);
    for (const char* name : subkeys) m.CreateKey(kHklmParent + "\\" + name);
    Remover(1, true);
    return m;
  }
  // Sweeps, deleting the named subkeys; returns the enumerations of the parent.
  Trace Sweep(std::set<std::string> matching) {
    Remover().SweepSubkeys(kParent, true,
                           [&](plat::HKey, const char* name) { return matching.count(name) != 0; });
    return Recorder().EnumKeysOf(kHklmParent);
  }
};

TEST_F(SubkeySweepTest, AfterADeletionTheKeyBeforeItIsReadAgainAndNoneIsSkipped) {
  for (bool win2kXp : {true, false}) {
    TearDown();
    sim::Machine& m = MachineWith(win2kXp, {"A", "B", "C", "D"});
    EXPECT_THAT(Sweep({"C"}), ElementsAre(Trace::value_type{0, "A"}, Trace::value_type{1, "B"},
                                          Trace::value_type{2, "C"}, Trace::value_type{1, "B"},
                                          Trace::value_type{2, "D"}, Trace::value_type{3, ""}));
    EXPECT_THAT(m.SubKeys(kHklmParent), ElementsAre("A", "B", "D"));
  }
}

TEST_F(SubkeySweepTest, AMatchAtIndexZeroReadsIndexZeroAgain) {
  sim::Machine& m = MachineWith(true, {"A", "B", "C"});
  EXPECT_THAT(Sweep({"A", "B"}), ElementsAre(Trace::value_type{0, "A"}, Trace::value_type{0, "B"},
                                             Trace::value_type{0, "C"}, Trace::value_type{1, ""}));
  EXPECT_THAT(m.SubKeys(kHklmParent), ElementsAre("C"));
}

TEST_F(SubkeySweepTest, TwoNeighboursAreBothDeletedAndTheKeyBeforeThemIsTestedAfterEach) {
  sim::Machine& m = MachineWith(true, {"A", "B", "C", "D"});
  EXPECT_THAT(Sweep({"B", "C"}), ElementsAre(Trace::value_type{0, "A"}, Trace::value_type{1, "B"},
                                             Trace::value_type{0, "A"}, Trace::value_type{1, "C"},
                                             Trace::value_type{0, "A"}, Trace::value_type{1, "D"},
                                             Trace::value_type{2, ""}));
  EXPECT_THAT(m.SubKeys(kHklmParent), ElementsAre("A", "D"));
}

TEST_F(SubkeySweepTest, AFailedDeletionIsSteppedOverAndTriedAgainWhenTheWalkComesBack) {
  sim::Machine& m = MachineWith(true, {"A", "B", "C"});
  m.DenyFullAccess(kHklmParent + "\\B");
  // The grant on the parent would open B again: keep it closed for this walk.
  m.AddFault("SetNamedSecurityInfo", kHklmParent, plat::kErrorAccessDenied);
  EXPECT_THAT(Sweep({"B", "C"}), ElementsAre(Trace::value_type{0, "A"}, Trace::value_type{1, "B"},
                                             Trace::value_type{2, "C"}, Trace::value_type{1, "B"},
                                             Trace::value_type{2, ""}));
  EXPECT_THAT(m.SubKeys(kHklmParent), ElementsAre("A", "B"));
  const std::string text = DeleteKeyText("B");
  EXPECT_THAT(BoxTexts(), ElementsAre("SetNamedSecurityInfo failed", "B", text, "B", text));
}

TEST_F(SubkeySweepTest, AKeyReportedGoneThatIsStillListedIsSteppedOverAndTheWalkEnds) {
  for (bool win2kXp : {true, false}) {
    SCOPED_TRACE(win2kXp);
    TearDown();
    sim::Machine& m = MachineWith(win2kXp, {"A", "B", "C"});
    m.AddFault("RegDeleteKey", kHklmParent + "\\B", plat::kErrorFileNotFound);
    EXPECT_THAT(Sweep({"B"}), ElementsAre(Trace::value_type{0, "A"}, Trace::value_type{1, "B"},
                                          Trace::value_type{0, "A"}, Trace::value_type{1, "B"},
                                          Trace::value_type{2, "C"}, Trace::value_type{3, ""}));
    EXPECT_THAT(m.SubKeys(kHklmParent), ElementsAre("A", "B", "C"));
    // Only the depth-first deletion shows its own box; "not found" is no failure to DeleteKey.
    EXPECT_THAT(BoxTexts(), win2kXp ? std::vector<std::string>{"B"} : std::vector<std::string>{});
  }
}

TEST_F(SubkeySweepTest, AMissingParentEndsSilentlyAnotherFailureIsReported) {
  sim::Machine& m = MachineWith(true, {});
  EXPECT_THAT(Sweep({}), IsEmpty());
  EXPECT_THAT(Boxes(), IsEmpty());

  m.CreateKey(kHklmParent + "\\A");
  m.DenyFullAccess(kHklmParent);
  m.AddFault("SetNamedSecurityInfo", kHklmParent, plat::kErrorAccessDenied);
  EXPECT_THAT(Sweep({"A"}), IsEmpty());
  EXPECT_THAT(Boxes(), ElementsAre(Box{"Error", "SetNamedSecurityInfo failed", "none"},
                                   Box{"Registry Error", "Access is denied.\r\n", "information"}));
  EXPECT_TRUE(m.KeyExists(kHklmParent + "\\A"));
}

TEST_F(SubkeySweepTest, TheGrantMakesClosedKeysDeletable) {
  sim::Machine& m = MachineWith(true, {"A", "B"});
  m.DenyFullAccess(kHklmParent);
  m.DenyFullAccess(kHklmParent + "\\B");
  Sweep({"B"});
  EXPECT_THAT(m.SubKeys(kHklmParent), ElementsAre("A"));
  EXPECT_TRUE(m.HasCurrentUserGrant(kHklmParent));
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(SubkeySweepTest, AnActionRunsOnEverySubkeyBeforeItsTest) {
  MachineWith(true, {"A", "B"});
  std::vector<std::string> order;
  Remover().SweepSubkeys(
      kParent, false,
      [&](plat::HKey, const char* name) {
        order.push_back(std::string("test ") + name);
        return true;
      },
      [&](plat::HKey, const char* name) { order.push_back(std::string("action ") + name); });
  EXPECT_THAT(order, ElementsAre("action A", "test A", "action B", "test B"));
}

}  // namespace
}  // namespace remove_test
