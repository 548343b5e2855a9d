#include "sound/Speaker.h"

namespace hw {

void Speaker::Play(std::shared_ptr<const Sound> sound, std::uint64_t startUs) {
  Listener listener;
  {
    std::lock_guard lock(mutex_);
    history_.push_back({startUs, sound->durationUs(), sound->frames()});
    listener = listener_;
  }
  if (listener) listener(sound);
}

void Speaker::Stop() {
  Listener listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener(nullptr);
}

void Speaker::SetListener(Listener listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

std::vector<Speaker::Played> Speaker::History() const {
  std::lock_guard lock(mutex_);
  return history_;
}

}  // namespace hw
