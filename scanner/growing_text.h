#pragma once
// A text that only grows until it is cleared.

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string_view>

namespace talvorix {

/// Grows by doubling through realloc: for large texts the C library moves the pages
/// instead of copying them, so a text of hundreds of megabytes is neither copied over
/// and over nor faulted in twice. Clearing keeps the storage for the next text.
class GrowingText {
 public:
  GrowingText() = default;
  GrowingText(const GrowingText&) = delete;
  GrowingText& operator=(const GrowingText&) = delete;

  void Append(std::string_view bytes) {
    Reserve(size_ + bytes.size());
    if (!bytes.empty()) std::memcpy(data_.get() + size_, bytes.data(), bytes.size());
    size_ += bytes.size();
  }
  void Append(char c) { Append(std::string_view(&c, 1)); }

  void Clear() { size_ = 0; }

  std::size_t size() const { return size_; }
  /// The text; valid until the next Append or Clear.
  std::string_view view() const { return data_ ? std::string_view(data_.get(), size_) : std::string_view(); }

 private:
  struct Free {
    void operator()(char* p) const { std::free(p); }
  };

  /// Room for `length` characters.
  void Reserve(std::size_t length) {
    if (length <= capacity_) return;
    if (length > kMaxCapacity) throw std::bad_alloc();  // as a standard container would
    std::size_t capacity = capacity_ < kMinCapacity ? kMinCapacity : capacity_;
    while (capacity < length) capacity = capacity > kMaxCapacity / 2 ? kMaxCapacity : capacity * 2;
    void* grown = std::realloc(data_.get(), capacity);
    if (grown == nullptr) throw std::bad_alloc();
    (void)data_.release();
    data_.reset(static_cast<char*>(grown));
    capacity_ = capacity;
  }

  static constexpr std::size_t kMinCapacity = 256;
  /// A quarter of the address space: doubling below it never overflows, on 32-bit
  /// targets as on 64-bit ones.
  static constexpr std::size_t kMaxCapacity = std::size_t{1} << (std::numeric_limits<std::size_t>::digits - 2);

  std::unique_ptr<char, Free> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace talvorix
