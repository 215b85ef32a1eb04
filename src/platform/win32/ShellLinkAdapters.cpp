#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/ShellLinkAdapters.h"

#include <algorithm>
#include <cstring>

namespace win32 {

GUID ToGuid(const plat::Guid& guid) {
  static_assert(sizeof(GUID) == sizeof(plat::Guid));
  GUID result;
  std::memcpy(&result, &guid, sizeof result);
  return result;
}

plat::DWORD ComAdapterBase::ReleaseReference() {
  if (references_ == 0) return 0;
  if (--references_ == 0) DropInterface();
  return references_;
}

plat::HRESULT ComAdapterBase::QueryAdapter(IUnknown* unknown, const plat::Guid& iid,
                                           void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (unknown == nullptr) return E_UNEXPECTED;  // already released
  GUID id = ToGuid(iid);
  void* found = nullptr;
  HRESULT result = unknown->QueryInterface(id, &found);
  if (FAILED(result)) return result;
  return pool_.Wrap(iid, static_cast<IUnknown*>(found), object);
}

plat::HRESULT ShellLinkAdapter::QueryInterface(const plat::Guid& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == plat::kIidIShellLinkA || iid == plat::kIidIUnknown) {
    *object = static_cast<plat::IShellLinkA*>(this);
    AddReference();
    return S_OK;
  }
  return QueryAdapter(link_.Get(), iid, object);
}

plat::HRESULT ShellLinkAdapter::SetPath(const char* file) {
  if (!link_) return E_UNEXPECTED;
  return link_->SetPath(file);
}

plat::HRESULT ShellLinkAdapter::SetDescription(const char* description) {
  if (!link_) return E_UNEXPECTED;
  return link_->SetDescription(description);
}

plat::HRESULT PersistFileAdapter::QueryInterface(const plat::Guid& iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == plat::kIidIPersistFile || iid == plat::kIidIUnknown) {
    *object = static_cast<plat::IPersistFile*>(this);
    AddReference();
    return S_OK;
  }
  return QueryAdapter(file_.Get(), iid, object);
}

plat::HRESULT PersistFileAdapter::Save(const char16_t* fileName, plat::BOOL remember) {
  if (!file_) return E_UNEXPECTED;
  return file_->Save(reinterpret_cast<LPCOLESTR>(fileName), remember);
}

plat::HRESULT ComAdapterPool::Wrap(const plat::Guid& iid, IUnknown* adopted, void** object) {
  // Adapters whose last reference is gone are of no further use.
  adapters_.erase(std::remove_if(adapters_.begin(), adapters_.end(),
                                 [](const auto& adapter) { return adapter->Released(); }),
                  adapters_.end());
  *object = nullptr;
  if (iid == plat::kIidIShellLinkA) {
    auto adapter = std::make_unique<ShellLinkAdapter>(
        *this, static_cast<::IShellLinkA*>(static_cast<void*>(adopted)));
    *object = static_cast<plat::IShellLinkA*>(adapter.get());
    adapters_.push_back(std::move(adapter));
    return S_OK;
  }
  if (iid == plat::kIidIPersistFile) {
    auto adapter = std::make_unique<PersistFileAdapter>(
        *this, static_cast<::IPersistFile*>(static_cast<void*>(adopted)));
    *object = static_cast<plat::IPersistFile*>(adapter.get());
    adapters_.push_back(std::move(adapter));
    return S_OK;
  }
  if (adopted != nullptr) adopted->Release();
  return E_NOINTERFACE;
}

}  // namespace win32

#endif  // _WIN32
