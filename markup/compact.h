// Compact building blocks of the markup tree. Pages grow to tens of megabytes and
// are parsed on every run, so a node's string and list fields are 16 bytes each
// and a list of one item needs no allocation of its own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "markup/block_pool.h"

// An owned byte string of at most 4 GB: up to 14 bytes are kept inline, longer
// texts in one pooled block (markup/block_pool.h). Always zero-terminated.
class CompactText {
 public:
  CompactText() { SetEmpty(); }
  explicit CompactText(std::string_view text) { Init(text); }
  CompactText(const CompactText& other) { Init(other.view()); }
  CompactText(CompactText&& other) noexcept {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    other.SetEmpty();
  }
  CompactText& operator=(const CompactText& other) {
    if (this != &other) Assign(other.view());
    return *this;
  }
  CompactText& operator=(CompactText&& other) noexcept {
    std::swap(raw_, other.raw_);
    return *this;
  }
  ~CompactText() { Free(); }

  // Replaces the content; `text` may point into this object's own bytes.
  void Assign(std::string_view text) {
    CompactText copy(text);
    std::swap(raw_, copy.raw_);
  }
  std::string_view view() const { return std::string_view(data(), size()); }
  const char* c_str() const { return data(); }
  size_t size() const {
    if (!OnHeap()) return static_cast<unsigned char>(raw_[kTagByte]);
    uint32_t size;
    std::memcpy(&size, raw_ + 8, sizeof size);
    return size;
  }
  bool empty() const { return size() == 0; }
  const char* data() const { return OnHeap() ? HeapPointer() : raw_; }

 private:
  static constexpr size_t kInlineCapacity = 14;
  static constexpr size_t kTagByte = 15;
  static constexpr unsigned char kHeapTag = 0xFF;

  bool OnHeap() const { return static_cast<unsigned char>(raw_[kTagByte]) == kHeapTag; }
  char* HeapPointer() const {
    char* pointer;
    std::memcpy(&pointer, raw_, sizeof pointer);
    return pointer;
  }
  void SetEmpty() {
    raw_[0] = 0;
    raw_[kTagByte] = 0;
  }
  void Init(std::string_view text) {
    if (text.size() <= kInlineCapacity) {
      if (!text.empty()) std::memcpy(raw_, text.data(), text.size());
      raw_[text.size()] = 0;
      raw_[kTagByte] = static_cast<char>(text.size());
      return;
    }
    uint32_t size = static_cast<uint32_t>(text.size());
    char* pointer = static_cast<char*>(AllocatePooled(size + 1));
    std::memcpy(pointer, text.data(), size);
    pointer[size] = 0;
    std::memcpy(raw_, &pointer, sizeof pointer);
    std::memcpy(raw_ + 8, &size, sizeof size);
    raw_[kTagByte] = static_cast<char>(kHeapTag);
  }
  void Free() {
    if (OnHeap()) FreePooled(HeapPointer(), size() + 1);
  }

  alignas(8) char raw_[16];
};

inline bool operator==(const CompactText& text, std::string_view other) { return text.view() == other; }

// An ordered list that owns its items (each allocated on its own, so pointers to
// items stay valid while other items come and go). Items go in and out as
// std::unique_ptr. A list of one item keeps the pointer inline.
template <class T>
class NodeList {
 public:
  NodeList() = default;
  NodeList(const NodeList&) = delete;
  NodeList& operator=(const NodeList&) = delete;
  ~NodeList() { Clear(); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* operator[](size_t index) const { return begin()[index]; }
  T* front() const { return begin()[0]; }
  T* back() const { return begin()[size_ - 1]; }
  T* const* begin() const { return capacity_ == 0 ? &one_ : many_; }
  T* const* end() const { return begin() + size_; }

  // Position of `item` in the list, or size() when it is not in the list.
  size_t IndexOf(const T* item) const {
    for (size_t i = 0; i < size_; ++i) {
      if (begin()[i] == item) return i;
    }
    return size_;
  }
  // Takes `item` and puts it at `index` (clamped to size()); returns it.
  T* Insert(size_t index, std::unique_ptr<T> item) {
    if (index > size_) index = size_;
    if (size_ == 0 && capacity_ == 0) {
      one_ = item.release();
      size_ = 1;
      return one_;
    }
    Grow();
    std::memmove(many_ + index + 1, many_ + index, (size_ - index) * sizeof(T*));
    many_[index] = item.release();
    ++size_;
    return many_[index];
  }
  T* Append(std::unique_ptr<T> item) { return Insert(size_, std::move(item)); }
  // Takes `items`, in order, and puts them at `index` (clamped to size()),
  // moving the items after it once however many go in.
  void InsertAll(size_t index, std::vector<std::unique_ptr<T>>& items) {
    if (items.empty()) return;
    if (index > size_) index = size_;
    Reserve(size_ + items.size());
    std::memmove(many_ + index + items.size(), many_ + index, (size_ - index) * sizeof(T*));
    for (size_t i = 0; i < items.size(); ++i) many_[index + i] = items[i].release();
    size_ += static_cast<uint32_t>(items.size());
    items.clear();
  }
  // Destroys `count` items from `index` on (both clamped to the list).
  void Erase(size_t index, size_t count) {
    if (index >= size_) return;
    count = std::min(count, size_ - index);
    T** items = capacity_ == 0 ? &one_ : many_;
    for (size_t i = 0; i < count; ++i) delete items[index + i];
    std::memmove(items + index, items + index + count, (size_ - index - count) * sizeof(T*));
    size_ -= static_cast<uint32_t>(count);
  }
  // Removes the item at `index` and hands it to the caller.
  std::unique_ptr<T> Release(size_t index) {
    T** items = capacity_ == 0 ? &one_ : many_;
    std::unique_ptr<T> item(items[index]);
    std::memmove(items + index, items + index + 1, (size_ - index - 1) * sizeof(T*));
    --size_;
    return item;
  }
  // Destroys every item.
  void Clear() {
    for (T* item : *this) delete item;
    if (capacity_ != 0) FreePooled(many_, capacity_ * sizeof(T*));
    one_ = nullptr;
    size_ = 0;
    capacity_ = 0;
  }

 private:
  // Makes room for one more item in the array form.
  void Grow() { Reserve(size_ + 1); }
  // Makes room for `wanted` items in the array form, at least doubling.
  void Reserve(size_t wanted) {
    if (wanted <= capacity_) return;
    uint32_t capacity = capacity_ == 0 ? 2 : capacity_ * 2;
    while (capacity < wanted) capacity *= 2;
    T** items = static_cast<T**>(AllocatePooled(capacity * sizeof(T*)));
    if (size_ != 0) std::memcpy(items, begin(), size_ * sizeof(T*));
    if (capacity_ != 0) FreePooled(many_, capacity_ * sizeof(T*));
    many_ = items;
    capacity_ = capacity;
  }

  union {
    T* one_ = nullptr;  // capacity_ == 0: the single item, if any
    T** many_;          // capacity_ > 0: the item array
  };
  uint32_t size_ = 0;
  uint32_t capacity_ = 0;
};
