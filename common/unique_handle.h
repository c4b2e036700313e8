// The owners every scoped type of the library, the probe, the tests and the
// benchmarks is made of. UniqueHandle holds one handle and closes it with its
// closing function when it goes; it moves, never copies. DcSetting sets one
// setting of a device context and puts the previous value back into the same
// device context.
#pragma once

#include <windows.h>

// The value that holds nothing: a value-initialised handle (null).
template <typename Handle>
struct NullHandle {
  static Handle Value() { return Handle{}; }
};

template <typename Handle, auto Close, typename Empty = NullHandle<Handle>>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  const Handle& get() const { return handle_; }
  explicit operator bool() const { return !(handle_ == Empty::Value()); }
  // Closes what it held, then holds `handle`.
  void reset(Handle handle = Empty::Value()) {
    const Handle old = handle_;
    handle_ = handle;
    if (!(old == Empty::Value())) Close(old);
  }
  // Closes what it held and gives the place for a function that hands a new
  // handle out through a pointer; the owner holds what that function writes.
  Handle* put() {
    reset();
    return &handle_;
  }
  // Gives the handle up without closing it: the caller owns it from here.
  [[nodiscard]] Handle release() {
    const Handle held = handle_;
    handle_ = Empty::Value();
    return held;
  }

 private:
  Handle handle_ = Empty::Value();
};

// Set(dc, value) sets a setting and returns the one it replaced, a value
// IsFailure tells when it failed. A failure value given is not set.
template <typename Value, auto Set, auto IsFailure>
class DcSetting {
 public:
  DcSetting(HDC dc, Value value) : dc_(dc), previous_(IsFailure(value) ? value : Set(dc, value)) {}
  ~DcSetting() {
    if (!IsFailure(previous_)) Set(dc_, previous_);
  }
  DcSetting(const DcSetting&) = delete;
  DcSetting& operator=(const DcSetting&) = delete;

 private:
  const HDC dc_;
  const Value previous_;
};
