#include "user/SystemClasses.h"

namespace ce {

std::vector<SystemClass> SystemClasses() {
  return {
      EditClass(),
  };
}

}  // namespace ce
