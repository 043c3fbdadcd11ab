#include "app/eye_publisher.h"

#include "toolkit/icon.h"

namespace tovi {

bool TEyePublisher::Publish(const TEyePicture& picture) {
  if (picture == FShown) return false;
  const TIcon icon(IconFromPicture(picture.Colours, picture.Mask));
  // A call to the shell may run a tick that publishes a newer picture to both icons: this one then goes no further.
  FShown = picture;
  const unsigned published = ++FPublished;
  for (TTaskTrayIcon* tray : {&FFirst, &FSecond}) {
    if (published != FPublished) break;
    tray->SetIcon(&icon);
    tray->SetHint("");
  }
  return true;
}

}  // namespace tovi
