// The program's view of the shell link object (plat::IShellLinkA, plat::IPersistFile)
// over the system's COM interfaces. COM calls are __stdcall through the object's
// own table, so each of our interfaces is a small object that forwards to one
// system interface it holds a reference to.
#pragma once

#include <objbase.h>
#include <shlobj.h>

#include <memory>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/Owners.h"
#include "platform/win32/WindowsApi.h"

namespace win32 {

class ComAdapterPool;

// Reference counting shared by the adapters. The last Release gives up the
// system interface; the adapter object itself stays with its pool, which
// discards released adapters before it hands out new ones.
class ComAdapterBase {
 public:
  explicit ComAdapterBase(ComAdapterPool& pool) : pool_(pool) {}
  virtual ~ComAdapterBase() = default;
  ComAdapterBase(const ComAdapterBase&) = delete;
  ComAdapterBase& operator=(const ComAdapterBase&) = delete;

  bool Released() const { return references_ == 0; }

 protected:
  plat::DWORD AddReference() { return ++references_; }
  plat::DWORD ReleaseReference();
  virtual void DropInterface() = 0;
  // QueryInterface: our adapter for the asked interface of system object unknown.
  plat::HRESULT QueryAdapter(IUnknown* unknown, const plat::Guid& iid, void** object);

 private:
  ComAdapterPool& pool_;
  plat::DWORD references_ = 1;
};

class ShellLinkAdapter final : public plat::IShellLinkA, public ComAdapterBase {
 public:
  ShellLinkAdapter(ComAdapterPool& pool, ::IShellLinkA* link) : ComAdapterBase(pool), link_(link) {}

  plat::HRESULT QueryInterface(const plat::Guid& iid, void** object) override;
  plat::DWORD AddRef() override { return AddReference(); }
  plat::DWORD Release() override { return ReleaseReference(); }
  plat::HRESULT SetPath(const char* file) override;
  plat::HRESULT SetDescription(const char* description) override;

 private:
  void DropInterface() override { link_.Reset(); }
  ComPtr<::IShellLinkA> link_;
};

class PersistFileAdapter final : public plat::IPersistFile, public ComAdapterBase {
 public:
  PersistFileAdapter(ComAdapterPool& pool, ::IPersistFile* file)
      : ComAdapterBase(pool), file_(file) {}

  plat::HRESULT QueryInterface(const plat::Guid& iid, void** object) override;
  plat::DWORD AddRef() override { return AddReference(); }
  plat::DWORD Release() override { return ReleaseReference(); }
  plat::HRESULT Save(const char16_t* fileName, plat::BOOL remember) override;

 private:
  void DropInterface() override { file_.Reset(); }
  ComPtr<::IPersistFile> file_;
};

// Owns every adapter it made.
class ComAdapterPool {
 public:
  // Our adapter for interface iid of a system object, taking over the reference
  // in *adopted; E_NOINTERFACE (and the reference given up) for other interfaces.
  plat::HRESULT Wrap(const plat::Guid& iid, IUnknown* adopted, void** object);

 private:
  std::vector<std::unique_ptr<ComAdapterBase>> adapters_;
};

GUID ToGuid(const plat::Guid& guid);

}  // namespace win32
