// Access control of the simulated machine as the removal relies on it.
#include "platform/sim/MachineState.h"
#include "remove/RemoverMachine.h"

namespace remove_test {
namespace {

using ::testing::IsEmpty;

constexpr const char* kName = "MACHINE\\System\\CurrentControlSet\\Enum\\USB";
constexpr const char* kKey = "HKLM\\System\\CurrentControlSet\\Enum\\USB";

class SimSecurityTest : public RemoverTest {
 protected:
  // The three calls of a grant; the first failing code, 0 when all succeeded.
  plat::DWORD Grant(const char* name,
                    plat::DWORD inheritance = plat::kSubContainersAndObjectsInherit,
                    const char* trustee = "CURRENT_USER") {
    plat::ISecurity& security = machine_->Os().security;
    plat::ISystem& system = machine_->Os().system;
    void* dacl = nullptr;
    void* descriptor = nullptr;
    plat::DWORD code = security.GetNamedSecurityInfoA(
        name, plat::kSeRegistryKey, plat::kDaclSecurityInformation, &dacl, &descriptor);
    if (code == 0) {
      plat::ExplicitAccessA access{};
      security.BuildExplicitAccessWithNameA(&access, trustee, plat::kGenericAll, plat::kGrantAccess,
                                            inheritance);
      void* newDacl = nullptr;
      code = security.SetEntriesInAclA(1, &access, dacl, &newDacl);
      if (code == 0)
        code = security.SetNamedSecurityInfoA(name, plat::kSeRegistryKey,
                                              plat::kDaclSecurityInformation, nullptr, nullptr,
                                              newDacl, nullptr);
      system.LocalFree(newDacl);
    }
    system.LocalFree(descriptor);
    return code;
  }
  bool OpensForFullAccess(const std::string& below) {
    plat::HKey key = 0;
    plat::LONG code = machine_->Os().registry.RegOpenKeyExA(plat::kHkeyLocalMachine, below.c_str(),
                                                            0, plat::kKeyAllAccess, &key);
    if (code == 0) machine_->Os().registry.RegCloseKey(key);
    return code == 0;
  }
};

TEST_F(SimSecurityTest, AnInheritedGrantOpensTheKeyAndItsSubkeysAndSurvivesSaving) {
  sim::Machine& m = NewMachine(true);
  m.CreateKey(std::string(kKey) + "\\Vid_5E3A&Pid_E4B2");
  m.DenyFullAccess(kKey);
  m.DenyFullAccess(std::string(kKey) + "\\Vid_5E3A&Pid_E4B2");
  const std::string below = std::string(kKey).substr(5);
  EXPECT_FALSE(OpensForFullAccess(below + "\\Vid_5E3A&Pid_E4B2"));

  EXPECT_EQ(Grant(kName), 0u);

  EXPECT_TRUE(OpensForFullAccess(below));
  EXPECT_TRUE(OpensForFullAccess(below + "\\Vid_5E3A&Pid_E4B2"));
  EXPECT_THAT(m.Internal().allocations, IsEmpty());
  std::string error;
  ASSERT_TRUE(m.Save(&error)) << error;
  auto loaded = sim::Machine::Load(folder_, &error);
  ASSERT_NE(loaded, nullptr) << error;
  EXPECT_TRUE(loaded->HasCurrentUserGrant(kKey));
}

TEST_F(SimSecurityTest, AGrantWithoutInheritanceOpensOnlyTheKey) {
  sim::Machine& m = NewMachine(true);
  m.CreateKey(std::string(kKey) + "\\Child");
  m.DenyFullAccess(kKey);
  m.DenyFullAccess(std::string(kKey) + "\\Child");
  EXPECT_EQ(Grant(kName, 0), 0u);
  const std::string below = std::string(kKey).substr(5);
  EXPECT_TRUE(OpensForFullAccess(below));
  EXPECT_FALSE(OpensForFullAccess(below + "\\Child"));
}

TEST_F(SimSecurityTest, AnotherTrusteeGrantsNothingTheProgramReliesOn) {
  sim::Machine& m = NewMachine(true);
  m.CreateKey(kKey);
  m.DenyFullAccess(kKey);
  EXPECT_EQ(Grant(kName, plat::kSubContainersAndObjectsInherit, "Everyone"), 0u);
  EXPECT_FALSE(m.HasCurrentUserGrant(kKey));
}

TEST_F(SimSecurityTest, MissingKeysBadNamesAndWindows98) {
  NewMachine(true);
  EXPECT_EQ(Grant(kName), plat::kErrorFileNotFound);
  EXPECT_EQ(Grant("HKLM\\System"), plat::kErrorInvalidParameter);
  EXPECT_THAT(machine_->Internal().allocations, IsEmpty());

  TearDown();
  sim::Machine& m = NewMachine(false);
  m.CreateKey(kKey);
  EXPECT_EQ(Grant(kName), plat::kErrorCallNotImplemented);
  EXPECT_FALSE(m.HasCurrentUserGrant(kKey));
}

TEST_F(SimSecurityTest, AnAclThatWasFreedOrNeverHandedOutIsRefused) {
  sim::Machine& m = NewMachine(true);
  m.CreateKey(kKey);
  plat::ISecurity& security = m.Os().security;
  void* dacl = nullptr;
  void* descriptor = nullptr;
  ASSERT_EQ(security.GetNamedSecurityInfoA(kName, plat::kSeRegistryKey,
                                           plat::kDaclSecurityInformation, &dacl, &descriptor),
            0u);
  plat::ExplicitAccessA access{};
  security.BuildExplicitAccessWithNameA(&access, "CURRENT_USER", plat::kGenericAll,
                                        plat::kGrantAccess, plat::kSubContainersAndObjectsInherit);
  void* newDacl = nullptr;
  ASSERT_EQ(security.SetEntriesInAclA(1, &access, dacl, &newDacl), 0u);
  m.Os().system.LocalFree(newDacl);
  EXPECT_EQ(
      security.SetNamedSecurityInfoA(kName, plat::kSeRegistryKey, plat::kDaclSecurityInformation,
                                     nullptr, nullptr, newDacl, nullptr),
      plat::kErrorInvalidParameter);
  int stranger = 0;
  EXPECT_EQ(
      security.SetNamedSecurityInfoA(kName, plat::kSeRegistryKey, plat::kDaclSecurityInformation,
                                     nullptr, nullptr, &stranger, nullptr),
      plat::kErrorInvalidParameter);
  EXPECT_FALSE(m.HasCurrentUserGrant(kKey));
  m.Os().system.LocalFree(descriptor);
  EXPECT_THAT(m.Internal().allocations, IsEmpty());
}

}  // namespace
}  // namespace remove_test
