#pragma once

#include <functional>
#include <vector>

#include "core/mouse.h"

namespace tovi {

class TObject {
 public:
  virtual ~TObject() = default;
};

// Events: called only when assigned, with the sender first.
using TNotifyEvent = std::function<void(TObject* sender)>;
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;

enum class TOperation { opInsert, opRemove };

// A part of a form with an owner, which can ask another component to tell it
// when that other one goes away.
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner) : FOwner(owner) {}
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }

  // From now on `other` is told through Notification when this component is
  // destroyed, and this one when `other` is.
  void FreeNotification(TComponent* other);

  // Called once the form that holds the component has set all its properties.
  virtual void Loaded() {}
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  void Unlink(TComponent* other);

  TComponent* FOwner;
  std::vector<TComponent*> FFreeNotifies;
};

}  // namespace tovi
