// The simulated registry against the Windows behaviour the program relies on.
#include <cstring>
#include <map>
#include <random>

#include "SimTestSupport.h"
#include "platform/ScopedKey.h"
#include "platform/sim/MachineState.h"

namespace {

using simtest::MachineTest;

class SimRegistryTest : public MachineTest {};

TEST_F(SimRegistryTest, SubkeysEnumerateSortedWithoutRegardToCase) {
  sim::Machine& m = Make();
  for (const char* name : {"b", "A2", "0010", "C", "a", "0002"})
    m.CreateKey(std::string("HKLM\\T\\") + name);
  plat::ScopedKey key(Os().registry);
  ASSERT_EQ(key.Open(plat::kHkeyLocalMachine, "T", plat::kKeyRead), 0);
  std::vector<std::string> names;
  char name[260];
  for (plat::DWORD i = 0; Os().registry.RegEnumKeyA(key.Get(), i, name, sizeof name) == 0; ++i)
    names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"0002", "0010", "a", "A2", "b", "C"}));
  EXPECT_EQ(Os().registry.RegEnumKeyA(key.Get(), 6, name, sizeof name), 259);
}

TEST_F(SimRegistryTest, QuerySizesAndTooSmallBuffers) {
  sim::Machine& m = Make();
  m.SetString("HKLM\\T", "s", "hello");
  m.SetValue("HKLM\\T", "raw", plat::kRegSz, {'a', 'b', 'c', 'd'});
  plat::ScopedKey key(Os().registry);
  ASSERT_EQ(key.Open(plat::kHkeyLocalMachine, "T", plat::kKeyRead), 0);
  plat::BYTE buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  plat::DWORD type = 0, size = 3;
  EXPECT_EQ(Os().registry.RegQueryValueExA(key.Get(), "s", &type, buffer, &size), 234);
  EXPECT_EQ(size, 6u);
  size = sizeof buffer;
  EXPECT_EQ(Os().registry.RegQueryValueExA(key.Get(), "s", &type, buffer, &size), 0);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, plat::kRegSz);
  // A string stored without its zero comes back as stored, without one.
  std::memset(buffer, 'x', sizeof buffer);
  size = sizeof buffer;
  EXPECT_EQ(Os().registry.RegQueryValueExA(key.Get(), "raw", &type, buffer, &size), 0);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(buffer[4], 'x');
  size = sizeof buffer;
  EXPECT_EQ(Os().registry.RegQueryValueExA(key.Get(), "missing", &type, buffer, &size), 2);
}

TEST_F(SimRegistryTest, DeletingAKeyWithSubkeysDependsOnThePlatform) {
  struct Case {
    sim::OsConfig os;
    plat::LONG expected;
    bool gone;
  } cases[] = {{sim::OsConfig{}, 5, false}, {simtest::Win98(), 0, true}};
  for (const Case& c : cases) {
    sim::Machine& m = Make(c.os);
    m.CreateKey("HKLM\\T\\Parent\\Child");
    plat::ScopedKey key(Os().registry);
    ASSERT_EQ(key.Open(plat::kHkeyLocalMachine, "T", plat::kKeyAllAccess), 0);
    EXPECT_EQ(Os().registry.RegDeleteKeyA(key.Get(), "Parent"), c.expected);
    EXPECT_EQ(!m.KeyExists("HKLM\\T\\Parent"), c.gone);
    EXPECT_EQ(Os().registry.RegDeleteKeyA(key.Get(), "Nothing"), 2);
  }
}

TEST_F(SimRegistryTest, EnumerationByIndexSeesDeletions) {
  sim::Machine& m = Make();
  for (const char* name : {"A", "B", "C", "D"}) m.CreateKey(std::string("HKLM\\T\\") + name);
  plat::ScopedKey key(Os().registry);
  ASSERT_EQ(key.Open(plat::kHkeyLocalMachine, "T", plat::kKeyAllAccess), 0);
  ASSERT_EQ(Os().registry.RegDeleteKeyA(key.Get(), "C"), 0);
  char name[260];
  ASSERT_EQ(Os().registry.RegEnumKeyA(key.Get(), 2, name, sizeof name), 0);
  EXPECT_STREQ(name, "D");
}

TEST_F(SimRegistryTest, DeniedKeyOpensForFullAccessOnlyAfterAGrant) {
  sim::Machine& m = Make();
  m.CreateKey("HKLM\\T\\Locked\\Inner");
  m.DenyFullAccess("HKLM\\T\\Locked");
  plat::ScopedKey key(Os().registry);
  EXPECT_EQ(key.Open(plat::kHkeyLocalMachine, "T\\Locked", plat::kKeyAllAccess), 5);
  EXPECT_EQ(key.Open(plat::kHkeyLocalMachine, "T\\Locked", plat::kKeyRead), 0);
  m.Internal().registry.Find("HKLM\\T")->currentUserGrant = true;
  m.Internal().registry.Find("HKLM\\T")->grantInherits = true;
  EXPECT_EQ(key.Open(plat::kHkeyLocalMachine, "T\\Locked", plat::kKeyAllAccess), 0);
}

TEST_F(SimRegistryTest, ValuesEnumerateInInsertionOrderAndDeleteByName) {
  sim::Machine& m = Make();
  m.SetString("HKLM\\P", "COM5", "");
  m.SetString("HKLM\\P", "COM12:", "");
  m.SetString("HKLM\\P", "LPT1:", "");
  plat::ScopedKey key(Os().registry);
  ASSERT_EQ(key.Open(plat::kHkeyLocalMachine, "P", plat::kKeyAllAccess), 0);
  char name[260];
  plat::DWORD size = sizeof name;
  ASSERT_EQ(Os().registry.RegEnumValueA(key.Get(), 1, name, &size, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "COM12:");
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(Os().registry.RegDeleteValueA(key.Get(), "com5"), 0);
  size = sizeof name;
  ASSERT_EQ(Os().registry.RegEnumValueA(key.Get(), 0, name, &size, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(name, "COM12:");
  // A key opened for reading cannot change values.
  plat::ScopedKey readOnly(Os().registry);
  ASSERT_EQ(readOnly.Open(plat::kHkeyLocalMachine, "P", plat::kKeyRead), 0);
  EXPECT_EQ(Os().registry.RegDeleteValueA(readOnly.Get(), "LPT1:"), 5);
}

TEST_F(SimRegistryTest, FaultsHitTheNamedCallAndAreLogged) {
  sim::Machine& m = Make();
  m.CreateKey("HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers");
  m.AddFault("RegOpenKey", "hklm\\system\\currentcontrolset\\control\\print\\printers", 5);
  plat::ScopedKey key(Os().registry);
  EXPECT_EQ(key.Open(plat::kHkeyLocalMachine, "System\\CurrentControlSet\\Control\\Print\\Printers",
                     plat::kKeyRead),
            5);
  EXPECT_EQ(key.Open(plat::kHkeyLocalMachine, "System", plat::kKeyRead), 0);
  ASSERT_GE(m.Calls().size(), 2u);
  EXPECT_EQ(m.Calls()[0].operation, "RegOpenKey");
  EXPECT_EQ(m.Calls()[0].target, "HKLM\\System\\CurrentControlSet\\Control\\Print\\Printers");
}

TEST_F(SimRegistryTest, HandlesOfDeletedKeysFail) {
  sim::Machine& m = Make(simtest::Win98());
  m.CreateKey("HKLM\\T\\Gone\\Child");
  plat::ScopedKey child(Os().registry);
  ASSERT_EQ(child.Open(plat::kHkeyLocalMachine, "T\\Gone\\Child", plat::kKeyRead), 0);
  plat::ScopedKey parent(Os().registry);
  ASSERT_EQ(parent.Open(plat::kHkeyLocalMachine, "T", plat::kKeyAllAccess), 0);
  ASSERT_EQ(Os().registry.RegDeleteKeyA(parent.Get(), "Gone"), 0);
  char name[260];
  EXPECT_EQ(Os().registry.RegEnumKeyA(child.Get(), 0, name, sizeof name), 1018);
}

// Keys come and go in every spelling; lookups must keep finding exactly the
// live ones, through the index's growth and its erased slots.
TEST_F(SimRegistryTest, LookupsFollowManyCreationsAndDeletions) {
  sim::RegistryTree tree;
  std::map<std::string, std::string> live;  // upper-cased name -> spelling
  std::mt19937 random(7);
  const char* spellings[] = {"dev%d", "DEV%d", "Dev%d"};
  for (int step = 0; step < 6000; ++step) {
    char name[32];
    std::snprintf(name, sizeof name, spellings[random() % 3], static_cast<int>(random() % 700));
    std::string upper = sim::UpperAscii(name);
    if (random() % 3 == 0) {
      EXPECT_EQ(tree.Remove(std::string("HKLM\\C\\") + name), live.erase(upper) == 1) << name;
    } else {
      ASSERT_NE(tree.Create(std::string("HKLM\\C\\") + name), nullptr);
      live.emplace(upper, name);
    }
  }
  ASSERT_FALSE(live.empty());
  for (int i = 0; i < 700; ++i) {
    std::string name = "dEv" + std::to_string(i);
    auto it = live.find(sim::UpperAscii(name));
    const sim::RegNode* node = tree.Find("HKLM\\C\\" + name);
    ASSERT_EQ(node != nullptr, it != live.end()) << name;
    if (node != nullptr) {
      EXPECT_EQ(node->name, it->second);
    }
  }
  EXPECT_EQ(tree.Find("HKLM\\C")->subkeys.size(), live.size());
}

// Opening the name RegEnumKey just gave is the common case and has a short
// way; after a deletion the same index names another key.
TEST_F(SimRegistryTest, OpeningWhatWasJustEnumeratedAfterADeletion) {
  sim::Machine& m = Make();
  for (const char* name : {"0000", "0001", "0002"}) m.CreateKey(std::string("HKLM\\T\\") + name);
  plat::ScopedKey parent(Os().registry);
  ASSERT_EQ(parent.Open(plat::kHkeyLocalMachine, "T", plat::kKeyAllAccess), 0);
  char name[260];
  ASSERT_EQ(Os().registry.RegEnumKeyA(parent.Get(), 1, name, sizeof name), 0);
  EXPECT_STREQ(name, "0001");
  ASSERT_EQ(Os().registry.RegDeleteKeyA(parent.Get(), name), 0);
  plat::ScopedKey key(Os().registry);
  EXPECT_EQ(key.Open(parent.Get(), "0001", plat::kKeyRead), 2);
  ASSERT_EQ(Os().registry.RegEnumKeyA(parent.Get(), 1, name, sizeof name), 0);
  EXPECT_STREQ(name, "0002");
  EXPECT_EQ(key.Open(parent.Get(), "0002", plat::kKeyRead), 0);
  EXPECT_EQ(key.Open(parent.Get(), "0000", plat::kKeyRead), 0);
  EXPECT_EQ(key.Open(parent.Get(), "0003", plat::kKeyRead), 2);
}

// Without the call log the calls are still counted and the rules still hit.
TEST_F(SimRegistryTest, FaultsHitWithTheCallLogOff) {
  sim::Machine& m = Make();
  m.SetString("HKLM\\T", "v", "x");
  m.AddFault("RegQueryValue", "HKLM\\T\\v", 1015);
  m.Internal().recordCalls = false;
  const std::uint64_t before = m.Internal().callCount;
  plat::ScopedKey key(Os().registry);
  ASSERT_EQ(key.Open(plat::kHkeyLocalMachine, "T", plat::kKeyRead), 0);
  plat::DWORD size = 0;
  EXPECT_EQ(Os().registry.RegQueryValueExA(key.Get(), "v", nullptr, nullptr, &size), 1015);
  EXPECT_EQ(Os().registry.RegQueryValueExA(key.Get(), "w", nullptr, nullptr, &size), 2);
  EXPECT_EQ(m.Internal().callCount - before, 3u);
  EXPECT_TRUE(m.Calls().empty());
}

}  // namespace
