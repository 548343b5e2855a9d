// Tells when a file of a given name arrives in a folder (written there,
// or renamed into it): how a program here learns of a request another
// program on the same device left for it as a file, without looking for
// the file now and then. A thread of the watch's own calls onArrival as
// soon as the file comes. TakeArrival answers whether it came since the
// last time it was asked, at the cost of one system call and without
// waiting for that thread; TakeNoticed answers from what the thread has
// seen, at no cost, for a caller that onArrival wakes anyway.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace ce {

class FileArrivalWatch {
 public:
  // A plain function: it may still be called once, just after the watch
  // is gone (the watch does not wait for its thread to end, so that it
  // can be dropped under any lock the function takes).
  using OnArrival = void (*)();

  // nullptr when the folder cannot be watched.
  static std::unique_ptr<FileArrivalWatch> Start(const std::filesystem::path& folder, std::string name,
                                                 OnArrival onArrival);
  ~FileArrivalWatch();
  FileArrivalWatch(const FileArrivalWatch&) = delete;
  FileArrivalWatch& operator=(const FileArrivalWatch&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  // Whether the file arrived since the last call; true at the first call,
  // since it may have been there before the watch began.
  bool TakeArrival();
  // The same, but only as far as the watch's thread has read: a file that
  // came a moment ago may be told at the next call, after onArrival.
  bool TakeNoticed();

  struct State;

 private:
  FileArrivalWatch(std::filesystem::path folder, std::shared_ptr<State> state)
      : folder_(std::move(folder)), state_(std::move(state)) {}

  const std::filesystem::path folder_;
  std::shared_ptr<State> state_;  // shared with the thread, which may outlive the watch
};

}  // namespace ce
