// The simulated Setup API as Windows behaves with a path source: oemN.inf names,
// the compiled PNF, identical INF files, refusals.
#include <cstring>

#include "deploy/DeployMachine.h"

namespace deploy_test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SimSetupApiTest : public DeployTest {
 protected:
  void SetUp() override {
    Start(OsXp());
    plat::ISystem& system = machine_->Os().system;
    module_ = system.LoadLibraryA("SETUPAPI");
    ASSERT_NE(module_, 0u);
    proc_ = system.GetProcAddress(module_, "SetupCopyOEMInfA");
    ASSERT_NE(proc_, 0u);
  }
  void TearDown() override {
    if (module_ != 0) machine_->Os().system.FreeLibrary(module_);
    DeployTest::TearDown();
  }
  // Copies source into the INF store; *name receives the answered path.
  plat::BOOL Copy(const std::string& source, std::string* name = nullptr, plat::DWORD size = 260) {
    char destination[260] = {};
    plat::DWORD required = 0;
    char* component = nullptr;
    plat::BOOL ok =
        machine_->Os().setupApi.SetupCopyOEMInfA(proc_, source.c_str(), nullptr, plat::kSpostPath,
                                                 0, destination, size, &required, &component);
    if (ok) {
      EXPECT_EQ(required, std::string(destination).size() + 1);
      EXPECT_STREQ(component, std::strrchr(destination, '\\') + 1);
    }
    if (name != nullptr) *name = destination;
    return ok;
  }
  plat::DWORD LastError() { return machine_->Os().system.GetLastError(); }

  plat::Module module_ = 0;
  plat::Proc proc_ = 0;
};

TEST_F(SimSetupApiTest, InfTakesTheNextFreeNumberWithItsPnf) {
  machine_->WriteFile("C:\\WINDOWS\\inf\\oem0.inf", InfText("other maker"));
  machine_->WriteFile("C:\\WINDOWS\\inf\\OEM2.INF", InfText("third maker"));
  machine_->WriteFile("C:\\WINDOWS\\inf\\oem3.PNF", "compiled, its INF gone");
  machine_->WriteFile("C:\\Drivers\\a.inf", InfText("a"));
  machine_->WriteFile("C:\\Drivers\\b.inf", InfText("b"));
  std::string name;
  ASSERT_TRUE(Copy("C:\\Drivers\\a.inf", &name));
  EXPECT_EQ(name, "C:\\WINDOWS\\inf\\oem1.inf");
  EXPECT_EQ(LastError(), 0u);
  ASSERT_TRUE(Copy("C:\\Drivers\\b.inf", &name));
  EXPECT_EQ(name, "C:\\WINDOWS\\inf\\oem4.inf");
  EXPECT_EQ(machine_->ReadFile("C:\\WINDOWS\\inf\\oem4.inf"), InfText("b"));
  std::optional<std::string> pnf = machine_->ReadFile("C:\\WINDOWS\\inf\\oem4.PNF");
  ASSERT_TRUE(pnf);
  EXPECT_NE(pnf->find("C:\\Drivers"), std::string::npos);
  EXPECT_NE(pnf->find("b.inf"), std::string::npos);
  // The source stays where it was.
  EXPECT_TRUE(machine_->FileExists("C:\\Drivers\\b.inf"));
}

TEST_F(SimSetupApiTest, IdenticalInfIsAnsweredWithItsName) {
  machine_->WriteFile("C:\\WINDOWS\\inf\\oem0.inf", InfText("other maker"));
  machine_->WriteFile("C:\\WINDOWS\\inf\\oem7.inf", InfText("a"));
  machine_->WriteFile("C:\\WINDOWS\\inf\\oem7.PNF", "compiled earlier");
  // A copy under an absurd number does not win over the lower one.
  machine_->WriteFile("C:\\WINDOWS\\inf\\oem123456789012345678901.inf", InfText("a"));
  machine_->WriteFile("C:\\Drivers\\a.inf", InfText("a"));
  std::string name;
  ASSERT_TRUE(Copy("C:\\Drivers\\a.inf", &name));
  EXPECT_EQ(name, "C:\\WINDOWS\\inf\\oem7.inf");
  EXPECT_THAT(machine_->Changes(), IsEmpty());
}

TEST_F(SimSetupApiTest, MissingOrForeignFilesAreRefused) {
  machine_->WriteFile("C:\\Drivers\\notes.txt", InfText("a text file"));
  machine_->WriteFile("C:\\Drivers\\plain.inf", "[Strings]\r\nName=x\r\n");
  machine_->WriteFile("C:\\Drivers\\indented.inf", "; header\r\n  [VERSION]\r\nSignature=x\r\n");
  machine_->MakeFolder("C:\\Drivers\\folder.inf");
  struct Case {
    const char* source;
    bool accepted;
  };
  for (const Case& c :
       {Case{"C:\\Drivers\\missing.inf", false}, Case{"C:\\Drivers\\notes.txt", false},
        Case{"C:\\Drivers\\plain.inf", false}, Case{"C:\\Drivers\\folder.inf", false},
        Case{"Q:\\nowhere.inf", false}, Case{"C:\\Drivers\\indented.inf", true}}) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(Copy(c.source), c.accepted ? 1 : 0);
    if (!c.accepted) {
      EXPECT_NE(LastError(), 0u);
    }
  }
  EXPECT_THAT(OemInfs(), ElementsAre("oem0.inf"));
  EXPECT_EQ(Copy("C:\\Drivers\\missing.inf"), 0);
  EXPECT_EQ(LastError(), plat::kErrorFileNotFound);
}

TEST_F(SimSetupApiTest, TooSmallBufferCopiesNothing) {
  machine_->WriteFile("C:\\Drivers\\a.inf", InfText("a"));
  EXPECT_EQ(Copy("C:\\Drivers\\a.inf", nullptr, 10), 0);
  EXPECT_EQ(LastError(), plat::kErrorInsufficientBuffer);
  EXPECT_THAT(OemInfs(), IsEmpty());
}

TEST_F(SimSetupApiTest, LibraryAndFunctionAreFoundByTheirNames) {
  plat::ISystem& system = machine_->Os().system;
  plat::Module other = system.LoadLibraryA("setupapi.dll");
  EXPECT_NE(other, 0u);
  EXPECT_NE(system.GetProcAddress(other, "SetupCopyOEMInfA"), 0u);
  EXPECT_EQ(system.GetProcAddress(other, "SetupCopyOEMInfW"), 0u);
  EXPECT_EQ(system.GetLastError(), plat::kErrorProcNotFound);
  EXPECT_EQ(system.GetProcAddress(other, "setupcopyoeminfa"), 0u);
  system.FreeLibrary(other);
}

TEST(SimSetupApiModuleTest, Windows98HasNoSetupApiLibrary) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "setup-test-sim-setupapi-98";
  std::filesystem::remove_all(folder);
  {
    std::unique_ptr<sim::Machine> machine = sim::Machine::Create(folder, Os98());
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(machine->Os().system.LoadLibraryA("SETUPAPI"), 0u);
    EXPECT_EQ(machine->Os().system.GetLastError(), plat::kErrorModNotFound);
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace deploy_test
