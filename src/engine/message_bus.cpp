#include "engine/message_bus.h"

namespace nrv {

TMessageBus::TSubscriptionId TMessageBus::SubscribeRaw(std::type_index type,
                                                       std::function<void(const void*)> handler) {
  std::lock_guard lock(mutex_);
  auto sub = std::make_shared<TSubscription>();
  sub->id = next_id_++;
  sub->handler = std::move(handler);
  subscribers_[type].push_back(sub);
  return sub->id;
}

void TMessageBus::Unsubscribe(TSubscriptionId id) {
  std::lock_guard lock(mutex_);
  for (auto& [type, list] : subscribers_) {
    for (auto it = list.begin(); it != list.end(); ++it) {
      if ((*it)->id == id) {
        (*it)->active = false;
        list.erase(it);
        return;
      }
    }
  }
}

void TMessageBus::PublishRaw(std::type_index type, const void* message) {
  // Deliver to a snapshot so that handlers may change the subscriptions; the lock
  // is not held while a handler runs, so a handler may publish in turn.
  std::vector<std::shared_ptr<TSubscription>> snapshot;
  {
    std::lock_guard lock(mutex_);
    auto it = subscribers_.find(type);
    if (it == subscribers_.end()) return;
    snapshot = it->second;
  }
  for (const auto& sub : snapshot) {
    if (sub->active) sub->handler(message);
  }
}

TMessageBus& MessageBus() {
  static TMessageBus bus;
  return bus;
}

}  // namespace nrv
