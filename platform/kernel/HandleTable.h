// A table from handle values to the objects they stand for. A handle value
// is never given out twice, so a handle that was closed can never reach a
// newer object by accident: it simply no longer resolves, and the call
// that used it fails as the platform's would.
//
// Every table is counted in the handle census: how many handles of each
// kind are live in the process. Work that ends where it began (a dialog
// opened and closed, a card pulled and put back) leaves the census as it
// found it; anything else is a table that grows for as long as the
// handheld runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace ce {

// The live handles of every table, by kind ("windows", "GDI objects", ...).
std::map<std::string, std::size_t> LiveHandleCounts();

namespace detail {
class CountedTable {
 public:
  explicit CountedTable(const char* kind);
  virtual ~CountedTable();
  CountedTable(const CountedTable&) = delete;
  CountedTable& operator=(const CountedTable&) = delete;
  const char* Kind() const { return kind_; }
  virtual std::size_t Size() const = 0;

 private:
  const char* kind_;
};
}  // namespace detail

// Live objects of one kind that no handle table holds, counted in the
// census all the same (objects that handles point at directly).
class LiveObjects : public detail::CountedTable {
 public:
  explicit LiveObjects(const char* kind) : CountedTable(kind) {}
  void Made() { ++count_; }
  void Gone() { --count_; }
  std::size_t Size() const override { return count_; }

 private:
  std::atomic<std::size_t> count_{0};
};

template <class Object>
class HandleTable : public detail::CountedTable {
 public:
  // firstValue and step shape the values (e.g. multiples of 4 as the
  // platform's, distinct ranges for distinct kinds of handle); kind names
  // the table in the census.
  HandleTable(const char* kind, std::uintptr_t firstValue, std::uintptr_t step = 4)
      : CountedTable(kind), next_(firstValue), step_(step) {}

  std::uintptr_t Add(std::shared_ptr<Object> object) {
    std::lock_guard lock(mutex_);
    std::uintptr_t value = next_;
    next_ += step_;
    objects_.emplace(value, std::move(object));
    return value;
  }

  std::shared_ptr<Object> Get(std::uintptr_t value) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(value);
    return it == objects_.end() ? nullptr : it->second;
  }

  // Takes the object out of the table; nullptr when the handle is unknown.
  std::shared_ptr<Object> Remove(std::uintptr_t value) {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(value);
    if (it == objects_.end()) return nullptr;
    auto object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

  std::size_t Size() const override {
    std::lock_guard lock(mutex_);
    return objects_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::uintptr_t next_;
  const std::uintptr_t step_;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects_;
};

}  // namespace ce
