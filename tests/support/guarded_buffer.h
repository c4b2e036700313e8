// A buffer with guard elements behind it, every element a sentinel to begin
// with: a call given the first `size()` elements must write none of the guards.
#pragma once

#include <cstddef>
#include <vector>

// Its size chosen at run time, for tables of buffer sizes.
template <typename Element>
class GuardedVector {
 public:
  // 0x5A in every byte, a value no text the tests write begins with.
  static constexpr Element kSentinel = static_cast<Element>(0x5A5A5A5A5A5A5A5AULL);

  explicit GuardedVector(size_t size, size_t guardCount = 16) : size_(size), elements_(size + guardCount, kSentinel) {}
  // Every element, guards included, set to `value`: the stale contents a buffer may hold.
  void Fill(Element value) {
    for (Element& element : elements_) element = value;
  }

  Element* data() { return elements_.data(); }
  const Element* data() const { return elements_.data(); }
  size_t size() const { return size_; }

  // True when no element from `from` on was written.
  bool UntouchedFrom(size_t from, Element value = kSentinel) const {
    for (size_t i = from; i < elements_.size(); ++i) {
      if (elements_[i] != value) return false;
    }
    return true;
  }
  // True when no guard was written.
  bool GuardsUntouched() const { return UntouchedFrom(size_); }

 private:
  size_t size_;
  std::vector<Element> elements_;
};

// Its size fixed where it is declared.
template <typename Element, size_t Size, size_t GuardCount = 16>
class GuardedBuffer : public GuardedVector<Element> {
 public:
  GuardedBuffer() : GuardedVector<Element>(Size, GuardCount) {}
  static constexpr size_t size() { return Size; }
  bool UntouchedFrom(size_t from = Size, Element value = GuardedVector<Element>::kSentinel) const {
    return GuardedVector<Element>::UntouchedFrom(from, value);
  }
};
