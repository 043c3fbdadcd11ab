#pragma once

#include "components/task_tray_icon.h"
#include "core/eye_picture.h"

namespace tovi {

// Shows a picture of the eyes in both tray icons: one icon made of it, handed
// to the first icon and then to the second, each with its empty hint.
class TEyePublisher {
 public:
  TEyePublisher(TTaskTrayIcon& first, TTaskTrayIcon& second) : FFirst(first), FSecond(second) {}

  void Publish(const TEyePicture& picture);

 private:
  TTaskTrayIcon& FFirst;
  TTaskTrayIcon& FSecond;
};

}  // namespace tovi
