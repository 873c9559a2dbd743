// ChunkedArray: an ordered sequence of plain values kept in chunks that are never moved, so that
// growing it to millions of values copies nothing and touches each byte of memory once.
#pragma once

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

namespace QzOrv::scene {

/// Values in chunks of 16, 32, 64 ... up to 4096 values and then 4096 each: small arrays stay
/// small, large ones grow without ever copying what they hold. A value's address stays valid
/// while values are appended; inserting before the end moves the values after it. Indexing is
/// constant time. Copies are deep; two arrays are equal when their values are equal in order.
template <class T>
class ChunkedArray {
  static_assert(std::is_trivially_copyable_v<T>, "values are plain data");

 public:
  template <class Array, class Value>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::remove_const_t<Value>;
    using difference_type = std::ptrdiff_t;
    using pointer = Value*;
    using reference = Value&;

    Iterator() = default;
    Iterator(Array* array, std::size_t index) : array_(array), index_(index) {}
    Value& operator*() const { return (*array_)[index_]; }
    Value* operator->() const { return &(*array_)[index_]; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator old = *this;
      ++index_;
      return old;
    }
    bool operator==(const Iterator& other) const { return index_ == other.index_; }

   private:
    Array* array_ = nullptr;
    std::size_t index_ = 0;
  };
  using iterator = Iterator<ChunkedArray, T>;
  using const_iterator = Iterator<const ChunkedArray, const T>;

  ChunkedArray() = default;
  ChunkedArray(std::initializer_list<T> values) { assign(values.begin(), values.end()); }
  ChunkedArray(const ChunkedArray& other) { assign(other.begin(), other.end()); }
  ChunkedArray(ChunkedArray&& other) noexcept { *this = std::move(other); }
  ChunkedArray& operator=(const ChunkedArray& other) {
    if (this != &other) assign(other.begin(), other.end());
    return *this;
  }
  ChunkedArray& operator=(ChunkedArray&& other) noexcept {
    if (this == &other) return *this;
    chunks_ = std::exchange(other.chunks_, {});
    size_ = std::exchange(other.size_, 0);
    next_ = std::exchange(other.next_, nullptr);
    limit_ = std::exchange(other.limit_, nullptr);
    return *this;
  }
  ChunkedArray& operator=(std::initializer_list<T> values) {
    assign(values.begin(), values.end());
    return *this;
  }
  ChunkedArray& operator=(const std::vector<T>& values) {
    assign(values.begin(), values.end());
    return *this;
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t index) {
    const Place place = placeOf(index);
    return chunks_[place.chunk][place.offset];
  }
  const T& operator[](std::size_t index) const {
    const Place place = placeOf(index);
    return chunks_[place.chunk][place.offset];
  }
  T& at(std::size_t index) {
    if (index >= size_) throw std::out_of_range("ChunkedArray::at");
    return (*this)[index];
  }
  const T& at(std::size_t index) const {
    if (index >= size_) throw std::out_of_range("ChunkedArray::at");
    return (*this)[index];
  }
  iterator begin() { return iterator(this, 0); }
  iterator end() { return iterator(this, size_); }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size_); }

  bool operator==(const ChunkedArray& other) const {
    return size_ == other.size_ && std::equal(begin(), end(), other.begin());
  }

  void push_back(const T& value) { appendSlot() = value; }
  /// Inserts `value` before position `index` (0 to size()) and returns the stored value; the
  /// values from `index` on move up by one.
  T& insert(std::size_t index, const T& value) {
    assert(index <= size_);
    if (index == size_) return appendSlot() = value;
    appendSlot();
    for (std::size_t i = size_ - 1; i > index; --i) (*this)[i] = (*this)[i - 1];
    return (*this)[index] = value;
  }
  /// Grows to `count` values (new ones value-initialised) or drops the values past it.
  void resize(std::size_t count) {
    if (count <= size_) {
      size_ = count;
      chunks_.resize(chunkCountFor(count));
      settleTail();
      return;
    }
    while (size_ < count) appendSlot() = T{};
  }
  template <class Input>
  void assign(Input first, Input last) {
    ChunkedArray values;
    for (; first != last; ++first) values.push_back(*first);
    *this = std::move(values);
  }

  /// Calls run(first, count) for each stretch of values that lie next to each other in memory,
  /// in order: the fast way to read them all.
  template <class Run>
  void forEachRun(Run&& run) const {
    for (std::size_t chunk = 0, done = 0; done < size_; ++chunk) {
      const std::size_t count = std::min(chunkSize(chunk), size_ - done);
      run(static_cast<const T*>(chunks_[chunk].get()), count);
      done += count;
    }
  }

 private:
  static constexpr std::size_t kFirstChunk = 16;
  static constexpr std::size_t kGrowingChunks = 8;  // 16 to 2048, then 4096 each
  static constexpr std::size_t kLargestChunk = kFirstChunk << kGrowingChunks;
  static constexpr std::size_t kGrowingValues =
      kFirstChunk * ((std::size_t{1} << kGrowingChunks) - 1);

  struct Place {
    std::size_t chunk;
    std::size_t offset;
  };

  static std::size_t chunkSize(std::size_t chunk) {
    return chunk < kGrowingChunks ? kFirstChunk << chunk : kLargestChunk;
  }
  /// Values the first `chunks` chunks hold.
  static std::size_t capacityOf(std::size_t chunks) {
    if (chunks <= kGrowingChunks) return kFirstChunk * ((std::size_t{1} << chunks) - 1);
    return kGrowingValues + (chunks - kGrowingChunks) * kLargestChunk;
  }
  /// Chunks needed to hold `values`.
  static std::size_t chunkCountFor(std::size_t values) {
    if (values > kGrowingValues)
      return kGrowingChunks + (values - kGrowingValues + kLargestChunk - 1) / kLargestChunk;
    std::size_t chunks = 0;
    while (capacityOf(chunks) < values) ++chunks;
    return chunks;
  }
  static Place placeOf(std::size_t index) {
    if (index < kGrowingValues) {
      const std::size_t chunk = std::bit_width(index / kFirstChunk + 1) - 1;
      return {chunk, index - capacityOf(chunk)};
    }
    const std::size_t beyond = index - kGrowingValues;
    return {kGrowingChunks + beyond / kLargestChunk, beyond % kLargestChunk};
  }

  // Appending is the common way to fill an array of millions of values: it only bumps a pointer
  // into the last chunk, which is allocated when the one before it is full.
  T& appendSlot() {
    if (next_ == limit_) addChunk();
    ++size_;
    return *next_++;
  }
  void addChunk() {
    const std::size_t size = chunkSize(chunks_.size());
    chunks_.push_back(std::make_unique_for_overwrite<T[]>(size));
    next_ = chunks_.back().get();
    limit_ = next_ + size;
  }
  /// Points next_ at the slot after the last value once the chunks or the size changed.
  void settleTail() {
    if (chunks_.empty()) {
      next_ = limit_ = nullptr;
      return;
    }
    limit_ = chunks_.back().get() + chunkSize(chunks_.size() - 1);
    next_ = limit_ - (capacityOf(chunks_.size()) - size_);
  }

  std::vector<std::unique_ptr<T[]>> chunks_;
  std::size_t size_ = 0;
  T* next_ = nullptr;  // the free end of the last chunk (limit_ when it is full)
  T* limit_ = nullptr;
};

}  // namespace QzOrv::scene
