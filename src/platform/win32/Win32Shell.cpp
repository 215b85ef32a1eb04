#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/Win32Shell.h"

#include <shellapi.h>

namespace win32 {

int Win32Shell::SHFileOperationA(plat::ShFileOpStructA* operation) {
  if (operation == nullptr) return ERROR_INVALID_PARAMETER;
  SHFILEOPSTRUCTA request = {};
  request.hwnd = ToHwnd(operation->hwnd);
  request.wFunc = operation->wFunc;
  request.pFrom = operation->pFrom;
  request.pTo = operation->pTo;
  request.fFlags = operation->fFlags;
  request.fAnyOperationsAborted = operation->fAnyOperationsAborted;
  request.hNameMappings = operation->hNameMappings;
  request.lpszProgressTitle = operation->lpszProgressTitle;
  int result = ::SHFileOperationA(&request);
  operation->fAnyOperationsAborted = request.fAnyOperationsAborted;
  operation->hNameMappings = request.hNameMappings;
  return result;
}

plat::HRESULT Win32Shell::CoInitialize(void* reserved) { return ::CoInitialize(reserved); }

plat::HRESULT Win32Shell::CoCreateInstance(const plat::Guid& clsid, void* outer,
                                           plat::DWORD context, const plat::Guid& iid,
                                           void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  // Our objects are no system COM objects, so none can aggregate one.
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  // Only interfaces we have an adapter for can be handed out.
  if (!(iid == plat::kIidIShellLinkA || iid == plat::kIidIPersistFile)) return E_NOINTERFACE;
  GUID classId = ToGuid(clsid);
  GUID interfaceId = ToGuid(iid);
  void* created = nullptr;
  HRESULT result = ::CoCreateInstance(classId, nullptr, context, interfaceId, &created);
  if (FAILED(result)) return result;
  return adapters_.Wrap(iid, static_cast<IUnknown*>(created), object);
}

}  // namespace win32

#endif  // _WIN32
