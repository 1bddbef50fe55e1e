#pragma once
// Listeners: an event with any number of listeners. Subscribe returns a Subscription that
// unsubscribes when it is destroyed or reset, so a listener never outlives what it captured and
// nobody sets a hook back to null. A listener may unsubscribe itself or another listener while
// the event is being told: one that is gone is not called any more; one added meanwhile hears
// the next event.
//
//   Subscription s = receiver.idFrame.Subscribe([&](const uint8_t* f, ...) { ...; return true; });
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class Subscription {
 public:
  Subscription() = default;
  explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
  Subscription& operator=(Subscription&& other) noexcept {
    if (this != &other) {
      Reset();
      cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
  }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { Reset(); }

  // Unsubscribes now (nothing when already done).
  void Reset() {
    if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
  }
  bool Active() const { return static_cast<bool>(cancel_); }

 private:
  std::function<void()> cancel_;
};

template <class Signature>
class Listeners;

template <class R, class... Args>
class Listeners<R(Args...)> {
 public:
  using Listener = std::function<R(Args...)>;

  Listeners() = default;
  // One event has one list: a copy would share it.
  Listeners(const Listeners&) = delete;
  Listeners& operator=(const Listeners&) = delete;

  [[nodiscard]] Subscription Subscribe(Listener listener) {
    auto entry = std::make_shared<Entry>(Entry{std::move(listener), true});
    core_->entries.push_back(entry);
    std::weak_ptr<Core> core = core_;
    std::weak_ptr<Entry> weak = entry;
    return Subscription([core, weak] {
      if (auto e = weak.lock()) e->live = false;
      if (auto c = core.lock()) c->Prune();
    });
  }

  bool Empty() const { return core_->entries.empty(); }

  // Calls each(listener) for every listener subscribed when the telling began and still there.
  template <class Each>
  void ForEach(Each&& each) const {
    const std::shared_ptr<Core> core = core_;  // a listener may destroy the event itself
    const size_t count = core->entries.size();
    ++core->depth;
    for (size_t i = 0; i < count && i < core->entries.size(); ++i) {
      const std::shared_ptr<Entry> entry = core->entries[i];
      if (entry->live) each(entry->listener);
    }
    --core->depth;
    core->Prune();
  }

  // Tells every listener (a void event).
  void Notify(Args... args) const {
    ForEach([&](const Listener& l) { l(args...); });
  }

 private:
  struct Entry {
    Listener listener;
    bool live;
  };
  struct Core {
    std::vector<std::shared_ptr<Entry>> entries;
    int depth = 0;
    // Entries are removed only outside a telling, so its indices stay valid.
    void Prune() {
      if (depth > 0) return;
      std::erase_if(entries, [](const std::shared_ptr<Entry>& e) { return !e->live; });
    }
  };
  std::shared_ptr<Core> core_ = std::make_shared<Core>();
};
