#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <typeindex>
#include <unordered_map>
#include <vector>

namespace nrv {

// Process-wide publish/subscribe. A handler subscribes to one message class and
// receives every message of that class, synchronously, on the sender's thread.
// Handlers may subscribe or unsubscribe while a message is being delivered: a
// handler removed during delivery is not called again, one added is called from
// the next message on.
class TMessageBus {
 public:
  using TSubscriptionId = int64_t;

  template <class TMessage>
  TSubscriptionId Subscribe(std::function<void(const TMessage&)> handler) {
    return SubscribeRaw(std::type_index(typeid(TMessage)),
                        [h = std::move(handler)](const void* m) {
                          h(*static_cast<const TMessage*>(m));
                        });
  }

  void Unsubscribe(TSubscriptionId id);

  template <class TMessage>
  void Publish(const TMessage& message) {
    PublishRaw(std::type_index(typeid(TMessage)), &message);
  }

 private:
  struct TSubscription {
    TSubscriptionId id;
    std::function<void(const void*)> handler;
    std::atomic<bool> active{true};
  };

  TSubscriptionId SubscribeRaw(std::type_index type, std::function<void(const void*)> handler);
  void PublishRaw(std::type_index type, const void* message);

  std::mutex mutex_;
  TSubscriptionId next_id_ = 1;
  std::unordered_map<std::type_index, std::vector<std::shared_ptr<TSubscription>>> subscribers_;
};

// The one bus of the process.
TMessageBus& MessageBus();

}  // namespace nrv
