#pragma once
// The cameras the system offers: the video input devices, as DirectShow lists them.
#include <string>
#include <vector>

#include "platform/Services.h"

namespace tolvira::win32 {

// The friendly names (UTF-8) of the video input devices, in the system's order, which is the
// order the camera engine numbers them: the name at index N is camera N. A device whose name
// cannot be read keeps its place as an empty text. Empty when there is no device or the list
// cannot be had. May be called from any thread.
std::vector<std::string> listCameras();

class Win32Cameras final : public Cameras {
  public:
    std::vector<std::string> names() override { return listCameras(); }
};

}  // namespace tolvira::win32
