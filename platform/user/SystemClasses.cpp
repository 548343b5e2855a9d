#include "platform/user/SystemClasses.h"

namespace ce {

std::vector<SystemClass> SystemClasses() {
  return {
      EditClass(), DialogClass(), ButtonClass(), StaticClass(), TrackbarClass(),
      PopupMenuClass(), MenuBarClass(), MessageBoxClass(),
  };
}

}  // namespace ce
