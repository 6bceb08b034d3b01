// One small owner per kind of system handle: the handle is closed when its owner goes, on
// every path, and an owner cannot be copied.
#pragma once

#include <windows.h>
#include <wininet.h>

namespace platform {

template <typename Kind>
class OwnedHandle {
 public:
  using Handle = typename Kind::Handle;
  explicit OwnedHandle(Handle handle) : handle_(handle) {}
  ~OwnedHandle() {
    if (*this) Kind::close(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Kind::invalid() && handle_ != nullptr; }

 private:
  Handle handle_;
};

struct KernelKind {
  using Handle = HANDLE;
  static Handle invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Handle handle) { CloseHandle(handle); }
};

struct InternetKind {
  using Handle = HINTERNET;
  static Handle invalid() { return nullptr; }
  static void close(Handle handle) { InternetCloseHandle(handle); }
};

using KernelHandle = OwnedHandle<KernelKind>;
using InternetHandle = OwnedHandle<InternetKind>;

}  // namespace platform
