// A buffer with guard elements behind it, every element a sentinel to begin
// with: a call given the first `Size` elements must write none of the guards.
#pragma once

#include <cstddef>

template <typename Element, size_t Size, size_t GuardCount = 16>
class GuardedBuffer {
 public:
  // 0x5A in every byte, a value no text the tests write begins with.
  static constexpr Element kSentinel = static_cast<Element>(0x5A5A5A5A5A5A5A5AULL);

  GuardedBuffer() { Fill(kSentinel); }
  // Every element, guards included, set to `value`: the stale contents a buffer may hold.
  void Fill(Element value) {
    for (Element& element : elements_) element = value;
  }

  Element* data() { return elements_; }
  const Element* data() const { return elements_; }
  static constexpr size_t size() { return Size; }

  // True when no element from `from` on (the guards, by default) was written.
  bool UntouchedFrom(size_t from = Size, Element value = kSentinel) const {
    for (size_t i = from; i < Size + GuardCount; ++i) {
      if (elements_[i] != value) return false;
    }
    return true;
  }

 private:
  Element elements_[Size + GuardCount];
};
