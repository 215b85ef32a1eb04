// The shell of a simulated machine: the folder-tree deletion and COM start-up.
#include <system_error>

#include "platform/sim/MachineState.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

class SimShell final : public plat::IShell {
 public:
  explicit SimShell(Machine::State& state) : s_(state) {}

  int SHFileOperationA(plat::ShFileOpStructA* op) override {
    if (op == nullptr || op->pFrom == nullptr)
      return static_cast<int>(plat::kErrorInvalidParameter);
    if (op->wFunc != plat::kFoDelete) return static_cast<int>(plat::kErrorCallNotImplemented);
    int result = 0;
    for (const char* item = op->pFrom; *item != '\0';
         item += std::char_traits<char>::length(item) + 1) {
      plat::DWORD code = 0;
      if (s_.Fault("SHFileOperation", item, &code)) {
        result = static_cast<int>(code);
        op->fAnyOperationsAborted = 1;
        continue;
      }
      int one = DeleteTree(item);
      if (one != 0) result = one;
    }
    return result;
  }

  plat::HRESULT CoInitialize(void*) override {
    if (s_.Fault("CoInitialize", "*")) return plat::kEFail;
    if (initialized_) return plat::kSFalse;
    initialized_ = true;
    return plat::kSOk;
  }

  plat::HRESULT CoCreateInstance(const plat::Guid& clsid, void* outer, plat::DWORD,
                                 const plat::Guid& iid, void** object) override {
    *object = nullptr;
    if (!initialized_) return static_cast<plat::HRESULT>(0x800401F0u);  // CO_E_NOTINITIALIZED
    if (outer != nullptr) return plat::kClassENoAggregation;
    if (!(clsid == plat::kClsidShellLink)) return plat::kRegDbEClassNotReg;
    return CreateSimShellLink(s_, iid, object);
  }

 private:
  // FO_DELETE with no confirmation and no error box: the path and everything
  // below it, read-only entries included, gone for good.
  int DeleteTree(const char* path) {
    auto normalized = s_.Normalize(path);
    if (!normalized || s_.IsOnRoot(*normalized)) return static_cast<int>(plat::kErrorFileNotFound);
    auto host = s_.ToHost(*normalized);
    std::error_code ec;
    if (!host || fs::symlink_status(*host, ec).type() == fs::file_type::not_found)
      return static_cast<int>(plat::kErrorFileNotFound);
    s_.TouchTree(*normalized);
    if (fs::is_symlink(fs::symlink_status(*host, ec)))
      fs::remove(*host, ec);  // a link goes, not what it points at
    else
      fs::remove_all(*host, ec);
    s_.FolderRemoved();
    if (ec) return static_cast<int>(plat::kErrorAccessDenied);
    s_.ForgetAttributes(*normalized);
    return 0;
  }

  Machine::State& s_;
  bool initialized_ = false;
};

}  // namespace

std::unique_ptr<plat::IShell> MakeSimShell(Machine::State& state) {
  return std::make_unique<SimShell>(state);
}

}  // namespace sim
