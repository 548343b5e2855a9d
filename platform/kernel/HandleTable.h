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

#include <array>
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

 protected:
  // The census asks Size() from any thread: a table joins once it is made
  // whole and leaves before it is taken apart.
  void JoinCensus();
  void LeaveCensus();

 private:
  const char* kind_;
};
}  // namespace detail

// Live objects of one kind that no handle table holds, counted in the
// census all the same (objects that handles point at directly).
class LiveObjects : public detail::CountedTable {
 public:
  explicit LiveObjects(const char* kind) : CountedTable(kind) { JoinCensus(); }
  ~LiveObjects() override { LeaveCensus(); }
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
      : CountedTable(kind), next_(firstValue), step_(step) {
    JoinCensus();
  }
  ~HandleTable() override { LeaveCensus(); }

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
    removals_.fetch_add(1, std::memory_order_release);
    return object;
  }

  class Reader;

  // Whether any object in the table is one `match` accepts, in no order.
  // Runs under the table's lock, so `match` must not use the table.
  template <typename Match>
  bool AnyOf(const Match& match) const {
    std::lock_guard lock(mutex_);
    for (const auto& [value, object] : objects_)
      if (match(*object)) return true;
    return false;
  }

  std::size_t Size() const override {
    std::lock_guard lock(mutex_);
    return objects_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::atomic<std::uint64_t> removals_{0};  // handles closed so far
  std::uintptr_t next_;
  const std::uintptr_t step_;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects_;
};

// Handle lookups for one thread's hot paths (a blit resolves two device
// contexts on every call). The reader keeps a reference to each object it
// found lately and finds it again without the table's lock or a change of
// reference count, for as long as no handle of the table has been closed
// since: handle values are never reused, so until then every handle it
// found still stands for the same object. Once any handle is closed it
// drops what it kept and asks the table again, so a closed handle fails
// exactly as it does through Get. A reader belongs to one thread.
template <class Object>
class HandleTable<Object>::Reader {
 public:
  explicit Reader(const HandleTable& table) : table_(table) {}

  // The objects of the handles, nullptr for one that is not open. They
  // stay alive until this reader's next Find, even if another thread
  // closes their handles meanwhile.
  template <class... Values>
  std::array<Object*, sizeof...(Values)> Find(Values... values) {
    static_assert(sizeof...(Values) < kKept, "a find must leave a place to replace");
    const std::uint64_t removals = table_.removals_.load(std::memory_order_acquire);
    if (removals != seen_) {
      kept_ = {};
      seen_ = removals;
    }
    unsigned used = 0;  // places this find has given out
    return {FindOne(std::uintptr_t(values), used)...};
  }

 private:
  static constexpr std::size_t kKept = 4;
  struct Kept {
    std::uintptr_t value = 0;
    std::shared_ptr<Object> object;
  };

  // A handle found lately is found here, inline; one not found lately
  // is asked of the table, out of line.
  [[gnu::always_inline]] Object* FindOne(std::uintptr_t value, unsigned& used) {
    if (value == 0) return nullptr;  // never a handle
    for (std::size_t i = 0; i < kKept; ++i) {
      if (kept_[i].value == value) {  // an empty place holds 0
        used |= 1u << i;
        return kept_[i].object.get();
      }
    }
    return Keep(value, used);
  }
  [[gnu::noinline]] Object* Keep(std::uintptr_t value, unsigned& used) {
    std::shared_ptr<Object> object = table_.Get(value);
    if (!object) return nullptr;
    // The place kept longest that this find has not given out.
    while (used & (1u << next_)) next_ = (next_ + 1) % kKept;
    Kept& place = kept_[next_];
    used |= 1u << next_;
    next_ = (next_ + 1) % kKept;
    place = {value, std::move(object)};
    return place.object.get();
  }

  const HandleTable& table_;
  std::uint64_t seen_ = 0;
  std::array<Kept, kKept> kept_;
  std::size_t next_ = 0;
};

}  // namespace ce
