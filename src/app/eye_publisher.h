#pragma once

#include <optional>

#include "components/task_tray_icon.h"
#include "core/eye_picture.h"

namespace tovi {

// Shows a picture of the eyes in both tray icons: one icon made of it, handed
// to the first icon and then to the second, each with its empty hint.
class TEyePublisher {
 public:
  TEyePublisher(TTaskTrayIcon& first, TTaskTrayIcon& second) : FFirst(first), FSecond(second) {}

  // False when the icons show these very pixels already: the shell is not
  // asked to take and repaint the same picture again.
  bool Publish(const TEyePicture& picture);

 private:
  TTaskTrayIcon& FFirst;
  TTaskTrayIcon& FSecond;
  std::optional<TEyePicture> FShown;
  unsigned FPublished = 0;  // how many pictures were published, to tell one published while this one is handed
};

}  // namespace tovi
