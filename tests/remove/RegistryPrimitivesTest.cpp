// The removal's registry building blocks on small simulated registries: the
// access grant, the depth-first deletion and its boxes, the error report and
// the lower-casing of registry texts.
#include "platform/sim/MachineState.h"
#include "remove/RemoverMachine.h"

namespace remove_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kKey = "System\\CurrentControlSet\\Control\\Test";
const std::string kHklmKey = std::string("HKLM\\") + kKey;

// ---- GrantFullAccess ----

class GrantFullAccessTest : public RemoverTest {};

TEST_F(GrantFullAccessTest, GrantsInheritedFullAccessToTheCurrentUserAndFreesWhatItGot) {
  sim::Machine& m = NewMachine(true);
  m.CreateKey(kHklmKey + "\\Child");
  m.DenyFullAccess(kHklmKey + "\\Child");

  EXPECT_EQ(Remover().GrantFullAccess(kKey), 1);

  EXPECT_TRUE(m.HasCurrentUserGrant(kHklmKey));
  EXPECT_THAT(CallsOf("GetNamedSecurityInfo"), ElementsAre(kHklmKey));
  EXPECT_THAT(CallsOf("SetEntriesInAcl"), ElementsAre("CURRENT_USER"));
  EXPECT_THAT(CallsOf("SetNamedSecurityInfo"), ElementsAre(kHklmKey));
  EXPECT_THAT(m.Internal().allocations, IsEmpty());
  EXPECT_THAT(Boxes(), IsEmpty());
  ASSERT_EQ(m.Changes().size(), 1u);
  EXPECT_EQ(m.Changes()[0].kind, "acl");
  EXPECT_EQ(m.Changes()[0].path, kHklmKey);
  // The grant reaches the subkey that was closed to full access.
  plat::HKey child = 0;
  EXPECT_EQ(m.Os().registry.RegOpenKeyExA(plat::kHkeyLocalMachine,
                                          (std::string(kKey) + "\\Child").c_str(), 0,
                                          plat::kKeyAllAccess, &child),
            0);
  m.Os().registry.RegCloseKey(child);
}

TEST_F(GrantFullAccessTest, MissingKeyIsNothingToDo) {
  sim::Machine& m = NewMachine(true);
  EXPECT_EQ(Remover().GrantFullAccess(kKey), 1);
  EXPECT_THAT(CallsOf("SetEntriesInAcl"), IsEmpty());
  EXPECT_THAT(CallsOf("SetNamedSecurityInfo"), IsEmpty());
  EXPECT_THAT(m.Changes(), IsEmpty());
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(m.Internal().allocations, IsEmpty());
}

TEST_F(GrantFullAccessTest, Windows98NeverTouchesTheSecurityApi) {
  sim::Machine& m = NewMachine(false);
  m.CreateKey(kHklmKey);
  EXPECT_EQ(Remover().GrantFullAccess(kKey), 1);
  EXPECT_THAT(CallsOf("GetNamedSecurityInfo"), IsEmpty());
  EXPECT_THAT(CallsOf("BuildExplicitAccessWithName"), IsEmpty());
  EXPECT_THAT(CallsOf("SetEntriesInAcl"), IsEmpty());
  EXPECT_THAT(CallsOf("SetNamedSecurityInfo"), IsEmpty());
  EXPECT_THAT(m.Changes(), IsEmpty());
}

struct GrantFault {
  const char* operation;
  std::string target;
  const char* box;
};

class GrantFaultTest : public RemoverTest, public ::testing::WithParamInterface<GrantFault> {};

TEST_P(GrantFaultTest, EachFailingCallShowsItsBoxAndGrantsNothing) {
  for (int displayError : {1, 0}) {
    SCOPED_TRACE(displayError);
    TearDown();
    sim::Machine& m = NewMachine(true);
    m.CreateKey(kHklmKey);
    m.AddFault(GetParam().operation, GetParam().target, plat::kErrorAccessDenied);

    EXPECT_EQ(Remover(displayError).GrantFullAccess(kKey), 0);

    EXPECT_FALSE(m.HasCurrentUserGrant(kHklmKey));
    EXPECT_THAT(m.Changes(), IsEmpty());
    EXPECT_THAT(m.Internal().allocations, IsEmpty());
    if (displayError)
      EXPECT_THAT(Boxes(), ElementsAre(Box{"Error", GetParam().box, "none"}));
    else
      EXPECT_THAT(Boxes(), IsEmpty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, GrantFaultTest,
    ::testing::Values(GrantFault{"GetNamedSecurityInfo", kHklmKey, "GetNamedSecurityInfo Failed"},
                      GrantFault{"SetEntriesInAcl", "CURRENT_USER", "SetEntriesInAcl failed"},
                      GrantFault{"SetNamedSecurityInfo", kHklmKey, "SetNamedSecurityInfo failed"}));

// ---- DeleteKey and MySHDeleteKey ----

class KeyDeletionTest : public RemoverTest {
 protected:
  // T with A (holding A1 and A2, A1 holding X), B and C.
  void WriteTree(sim::Machine& m) {
    for (const char* key : {"\\T\\A\\A1\\X", "\\T\\A\\A2", "\\T\\B", "\\T\\C"})
      m.CreateKey(kHklmKey + key);
    m.SetString(kHklmKey + "\\T\\B", "Value", "text");
  }
  const std::string tree_ = std::string(kKey) + "\\T";
};

TEST_F(KeyDeletionTest, Windows2000DeletesDepthFirstAlwaysAtIndexZero) {
  sim::Machine& m = NewMachine(true);
  WriteTree(m);
  EXPECT_EQ(Remover(1, true).DeleteKey(plat::kHkeyLocalMachine, tree_.c_str()), 1);

  EXPECT_FALSE(m.KeyExists(kHklmKey + "\\T"));
  EXPECT_TRUE(m.KeyExists(kHklmKey));
  std::vector<std::string> deleted;
  for (const EnumCall& call : Recorder().deletedKeys) deleted.push_back(call.key);
  const std::string t = kHklmKey + "\\T";
  EXPECT_THAT(deleted, ElementsAre(t + "\\A\\A1\\X", t + "\\A\\A1", t + "\\A\\A2", t + "\\A",
                                   t + "\\B", t + "\\C", "HKLM\\" + tree_));
  for (const EnumCall& call : Recorder().enumKeys) EXPECT_EQ(call.index, 0u) << call.key;
  EXPECT_THAT(Boxes(), IsEmpty());
}

TEST_F(KeyDeletionTest, Windows98DeletesTheSubtreeInOneCall) {
  sim::Machine& m = NewMachine(false);
  WriteTree(m);
  EXPECT_EQ(Remover(1, true).DeleteKey(plat::kHkeyLocalMachine, tree_.c_str()), 1);
  EXPECT_FALSE(m.KeyExists(kHklmKey + "\\T"));
  ASSERT_EQ(Recorder().deletedKeys.size(), 1u);
  EXPECT_THAT(Recorder().enumKeys, IsEmpty());
}

TEST_F(KeyDeletionTest, AbsentKeyIsGoneWithoutABoxOnBothFlavours) {
  for (bool win2kXp : {true, false}) {
    TearDown();
    sim::Machine& m = NewMachine(win2kXp);
    EXPECT_EQ(Remover().DeleteKey(plat::kHkeyLocalMachine, tree_.c_str()), 1);
    EXPECT_EQ(Remover().MySHDeleteKey(plat::kHkeyLocalMachine, tree_.c_str()),
              plat::kErrorFileNotFound);
    EXPECT_THAT(Boxes(), IsEmpty());
    EXPECT_THAT(m.Changes(), IsEmpty());
  }
}

struct LevelFailure {
  const char* name;
  // Applied to the machine: what makes one level fail.
  void (*arrange)(sim::Machine&, const std::string& tree);
  const char* failingLevel;  // the subkey argument of the level that fails
  plat::DWORD code;
  std::vector<const char*> remaining;  // below T, besides T itself
};

class LevelFailureTest : public KeyDeletionTest,
                         public ::testing::WithParamInterface<LevelFailure> {};

TEST_P(LevelFailureTest, StopsAtOnceAndNamesTheFailingLevelThenTheKeyAskedFor) {
  const LevelFailure& failure = GetParam();
  for (int displayError : {1, 0}) {
    SCOPED_TRACE(displayError);
    TearDown();
    sim::Machine& m = NewMachine(true);
    WriteTree(m);
    failure.arrange(m, kHklmKey + "\\T");

    EXPECT_EQ(Remover(displayError).MySHDeleteKey(plat::kHkeyLocalMachine, tree_.c_str()),
              failure.code);
    EXPECT_TRUE(m.KeyExists(kHklmKey + "\\T"));
    for (const char* key : failure.remaining)
      EXPECT_TRUE(m.KeyExists(kHklmKey + "\\T" + key)) << key;
    std::vector<Box> mySh;
    if (failure.failingLevel[0] != '\0')
      mySh.push_back({"MySHDeleteKey Failed", failure.failingLevel, "warning"});
    EXPECT_THAT(Boxes(), displayError ? mySh : std::vector<Box>{});

    // Through DeleteKey the same failure adds the box naming the key asked for.
    std::size_t before = m.MessageBoxes().size();
    EXPECT_EQ(Remover(displayError).DeleteKey(plat::kHkeyLocalMachine, tree_.c_str()), 0);
    std::vector<Box> boxes = Boxes();
    boxes.erase(boxes.begin(), boxes.begin() + static_cast<long>(before));
    mySh.push_back({"RegDeleteKey Failed", DeleteKeyText(tree_), "warning"});
    EXPECT_THAT(boxes, displayError ? mySh : std::vector<Box>{});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Levels, LevelFailureTest,
    ::testing::Values(
        LevelFailure{"KeyItselfClosed",
                     [](sim::Machine& m, const std::string& t) { m.DenyFullAccess(t); },
                     "System\\CurrentControlSet\\Control\\Test\\T",
                     plat::kErrorAccessDenied,
                     {"\\A\\A1\\X", "\\A\\A2", "\\B", "\\C"}},
        // A goes first (index 0); B fails; C is never reached.
        LevelFailure{"ChildClosed",
                     [](sim::Machine& m, const std::string& t) { m.DenyFullAccess(t + "\\B"); },
                     "B",
                     plat::kErrorAccessDenied,
                     {"\\B", "\\C"}},
        LevelFailure{
            "GrandchildClosed",
            [](sim::Machine& m, const std::string& t) { m.DenyFullAccess(t + "\\A\\A1\\X"); },
            "X",
            plat::kErrorAccessDenied,
            {"\\A\\A1\\X", "\\A\\A2", "\\B", "\\C"}},
        LevelFailure{"ChildDeletionRefused",
                     [](sim::Machine& m, const std::string& t) {
                       m.AddFault("RegDeleteKey", t + "\\A\\A2", plat::kErrorAccessDenied);
                     },
                     "A2",
                     plat::kErrorAccessDenied,
                     {"\\A\\A2", "\\B", "\\C"}},
        LevelFailure{"ChildEnumerationFails",
                     [](sim::Machine& m, const std::string& t) {
                       m.AddFault("RegEnumKey", t + "\\A", plat::kErrorInvalidData);
                     },
                     "A",
                     plat::kErrorInvalidData,
                     {"\\A\\A1\\X", "\\A\\A2", "\\B", "\\C"}},
        // A child that was listed but cannot be found is no deletion: the key
        // stays, so the caller must not hear "not found".
        LevelFailure{"ListedChildNotFound",
                     [](sim::Machine& m, const std::string& t) {
                       m.AddFault("RegOpenKey", t + "\\B", plat::kErrorFileNotFound);
                     },
                     "",
                     plat::kErrorAccessDenied,
                     {"\\B", "\\C"}},
        // A child reported deleted but listed again is not tried for ever.
        LevelFailure{"ChildDeletionReportedButNotDone",
                     [](sim::Machine& m, const std::string& t) {
                       m.AddFault("RegDeleteKey", t + "\\B", plat::kErrorSuccess);
                     },
                     "",
                     plat::kErrorAccessDenied,
                     {"\\B", "\\C"}}),
    [](const ::testing::TestParamInfo<LevelFailure>& info) { return info.param.name; });

TEST_F(KeyDeletionTest, Windows98RefusedDeletionShowsOnlyTheDeleteKeyBox) {
  sim::Machine& m = NewMachine(false);
  WriteTree(m);
  m.AddFault("RegDeleteKey", kHklmKey + "\\T", plat::kErrorAccessDenied);
  EXPECT_EQ(Remover().DeleteKey(plat::kHkeyLocalMachine, tree_.c_str()), 0);
  EXPECT_TRUE(m.KeyExists(kHklmKey + "\\T\\A\\A1\\X"));
  EXPECT_THAT(Boxes(), ElementsAre(Box{"RegDeleteKey Failed", DeleteKeyText(tree_), "warning"}));
}

TEST_F(KeyDeletionTest, BelowAnOpenKeyTheBoxNamesTheRelativeKey) {
  sim::Machine& m = NewMachine(true);
  WriteTree(m);
  m.DenyFullAccess(kHklmKey + "\\T\\B");
  Remover();
  plat::HKey parent = OpenKey(std::string(kKey) + "\\T");
  EXPECT_EQ(Remover().DeleteKey(parent, "B"), 0);
  EXPECT_EQ(Remover().DeleteKey(parent, "C"), 1);
  Os().registry.RegCloseKey(parent);
  EXPECT_THAT(Boxes(), ElementsAre(Box{"MySHDeleteKey Failed", "B", "warning"},
                                   Box{"RegDeleteKey Failed", DeleteKeyText("B"), "warning"}));
  EXPECT_FALSE(m.KeyExists(kHklmKey + "\\T\\C"));
}

// ---- Registry error report ----

class RegistryErrorReportTest : public RemoverTest {};

TEST_F(RegistryErrorReportTest, ShowsTheSystemTextAndFreesItEvenWhenSilent) {
  for (int displayError : {1, 0}) {
    TearDown();
    sim::Machine& m = NewMachine(true);
    Remover(displayError).ReportRegistryError(plat::kErrorAccessDenied);
    EXPECT_THAT(CallsOf("FormatMessage"), ElementsAre("5"));
    EXPECT_THAT(m.Internal().allocations, IsEmpty());
    if (displayError)
      EXPECT_THAT(Boxes(),
                  ElementsAre(Box{"Registry Error", "Access is denied.\r\n", "information"}));
    else
      EXPECT_THAT(Boxes(), IsEmpty());
  }
}

// ---- LowerAscii ----

TEST(LowerAsciiTest, ChangesOnlyTheLettersAToZ) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz"},
      {"QuorVex USB\\Vid_5E3A", "quorvex usb\\vid_5e3a"},
      {"@[`{0189 _-.", "@[`{0189 _-."},  // the neighbours of both letter ranges
      {"already lower", "already lower"},
      {"\xC4\xD6\xDC\x80\xFF", "\xC4\xD6\xDC\x80\xFF"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string text = c.in;
    CDriverRemover::LowerAscii(text.data());
    EXPECT_EQ(text, c.out) << c.in;
  }
}

}  // namespace
}  // namespace remove_test
