#include "toolkit/component.h"

#include <algorithm>

namespace tovi {

TComponent::~TComponent() {
  // Each partner forgets us before it hears of our end, so it cannot call back.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    other->Unlink(this);
    other->Notification(this, TOperation::opRemove);
  }
}

void TComponent::FreeNotification(TComponent* other) {
  if (other == nullptr || other == this) return;
  if (std::ranges::find(FFreeNotifies, other) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(other);
    other->FFreeNotifies.push_back(this);
  }
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::Unlink(TComponent* other) { std::erase(FFreeNotifies, other); }

}  // namespace tovi
