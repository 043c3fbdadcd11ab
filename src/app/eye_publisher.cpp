#include "app/eye_publisher.h"

#include "toolkit/icon.h"

namespace tovi {

bool TEyePublisher::Publish(const TEyePicture& picture) {
  if (picture == FShown) return false;
  const TIcon icon(IconFromPicture(picture.Colours, picture.Mask));
  for (TTaskTrayIcon* tray : {&FFirst, &FSecond}) {
    tray->SetIcon(&icon);
    tray->SetHint("");
  }
  FShown = picture;
  return true;
}

}  // namespace tovi
