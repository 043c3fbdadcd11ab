#include "app/eye_publisher.h"

#include "toolkit/icon.h"

namespace tovi {

void TEyePublisher::Publish(const TEyePicture& picture) {
  const TIcon icon(IconFromPicture(picture.Colours, picture.Mask));
  for (TTaskTrayIcon* tray : {&FFirst, &FSecond}) {
    tray->SetIcon(&icon);
    tray->SetHint("");
  }
}

}  // namespace tovi
